// The process's one open resource package: the ZIP archive of skin, markup, strings and
// configuration that the executable carries. Every resource consumer asks
// IsUsingPackage first and reads either from the package (ReadPackageFile, archive
// paths) or, when none is open, from the folder "resources" beside the working
// directory (NormalizeFilePath, disk paths).
//
// Thread: the UI thread only (start-up, markup building and image loading run there);
// not locked, and worker threads must not read the package. The package does not copy
// the archive: its bytes must stay valid until it is closed or replaced (the resource
// memory of a loaded module does).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/core/package_path.h"

namespace ui {

#ifdef _WIN32
// Opens the resource `id` of the given type in the executable itself. Closes the
// package open before, so it returns whether a package is open now.
bool OpenResourcePackage(int id, const wchar_t* type, const std::string& password);
// The same for a module of the caller's (an HMODULE, for instance one loaded as a data
// file), which must stay loaded while the package is open.
bool OpenResourcePackageFromModule(void* module, int id, const wchar_t* type,
                                   const std::string& password);
#endif

// Opens an archive in memory; `data` must outlive the package. Replaces the package
// open before; false when the bytes are no valid archive (no package is open then).
bool OpenResourcePackageFromMemory(const void* data, size_t size, const std::string& password);

bool IsUsingPackage();

// The whole entry at `path` (any relative form: backslashes, "./", "../"; letter case
// of ASCII letters ignored), owned by the caller. Nothing when no package is open, or
// the entry is missing, empty or damaged.
std::optional<std::vector<uint8_t>> ReadPackageFile(const std::wstring& path);

void CloseResourcePackage();

}  // namespace ui
