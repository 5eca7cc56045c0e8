// The operating-system side of reading markup: path kinds, whole-file reads and the
// system ANSI code page. Everything else about markup needs no OS facility.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

enum class MarkupFileResult { kOk, kCannotOpen, kEmpty, kTooLarge, kShortRead };

// True for a path that is to be taken under a base folder.
bool IsRelativeFilePath(const std::wstring& path);

// Reads the whole file, opened for reading with shared read access. A file of 0 bytes or
// of more than `max_size` bytes is refused before anything is read.
MarkupFileResult ReadWholeFile(const std::wstring& path, size_t max_size,
                               std::vector<uint8_t>& bytes);

// Converts text in the system ANSI code page to UTF-16; false when it cannot.
bool AnsiToUtf16(const uint8_t* bytes, size_t length, std::wstring& text);

}  // namespace ui
