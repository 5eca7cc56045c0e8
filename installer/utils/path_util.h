// Paths and folders of the installer: the known folders, the executable's own name,
// install-path checks and folder creation. Failures give an empty string, false or 0.
//
// Threads: any thread may call these. The cached folders are filled under a lock, so a
// worker that asks first gets the same answer as the UI thread.
#pragma once

#include <string>
#include <vector>

// Empty stays empty; otherwise every "/" becomes "\", doubled separators collapse, and
// the result ends with exactly one "\". Needs no OS facility.
std::wstring NormalizeDirPath(const std::wstring& path);

// Base name of an executable file name: split at dots (empty pieces dropped); exactly
// two pieces give the first, anything else gives "". Needs no OS facility.
std::wstring ExeBaseNameFromFileName(const std::wstring& file_name);

// Language code of an executable file name: "en" unless the name splits at dots into
// exactly two pieces whose first splits at underscores into three or more pieces; then
// the last of those. Needs no OS facility.
std::wstring LanguageCodeFromFileName(const std::wstring& file_name);

// The last component of a path (after the last "\" or "/"), and everything up to and
// including that separator. Needs no OS facility.
std::wstring FileNameOfPath(const std::wstring& path);
std::wstring FolderOfPath(const std::wstring& path);

// The folders that make up `folder`, from the first one below its root down to the
// folder itself, with "\" separators: "C:\a/b\" gives "C:\a", "C:\a\b". The root (a
// drive such as "C:\" or "C:", a share such as "\\server\share\", a leading "\") is not
// listed. Needs no OS facility.
std::vector<std::wstring> FolderChain(const std::wstring& folder);

struct LanguageCodeAndPage {
  std::wstring code;
  std::wstring page;  // always "home"
};

#ifdef _WIN32
// The path names a drive root that exists (first three characters after normalising,
// such as "C:\") and has none of : * ? " < > | after it.
bool IsValidInstallPath(const std::wstring& path);
// Free space in MiB of the drive that `path` starts with ("C:\..." or "C:/..."); 0 for
// a path without a drive letter or when the drive cannot be asked.
double GetFreeDiskSpaceMB(const std::wstring& path);

std::wstring GetProgramFilesDir();    // ends with "\"; cached; empty on failure
std::wstring GetLocalAppDataDir();    // ends with "\"; cached; empty on failure
std::wstring GetRoamingAppDataDir();  // no trailing separator; empty on failure
std::wstring GetExeFileName();
std::wstring GetExeDir();             // ends with the separator
std::wstring GetExeBaseName();
LanguageCodeAndPage GetLanguageCodeFromExeName();

bool IsDirectory(const std::wstring& path);
// Creates the folder and every missing parent; true when the folder exists afterwards.
bool CreateDirectories(const std::wstring& folder);
// Shell folder creation with parents; true also when the folder or a file of that name
// already exists.
bool CreateFolder(const std::wstring& folder);
// Replaces the file's content with `text` in UTF-8 (no byte-order mark, no added line
// end; a line feed is written as CR LF, as a text-mode file does). False when the file
// cannot be created or written.
bool WriteTextFile(const std::wstring& path, const std::wstring& text);
#endif
