#include "ui/core/markup_platform.h"

#include <cstdio>
#include <memory>

#include "installer/utils/string_util.h"

namespace ui {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool IsRelativeFilePath(const std::wstring& path) { return path.empty() || path[0] != L'/'; }

MarkupFileResult ReadWholeFile(const std::wstring& path, size_t max_size,
                               std::vector<uint8_t>& bytes) {
  bytes.clear();
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(Utf16ToUtf8(path).c_str(), "rb"));
  if (!file) return MarkupFileResult::kCannotOpen;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return MarkupFileResult::kCannotOpen;
  const long size = std::ftell(file.get());
  if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return MarkupFileResult::kCannotOpen;
  if (size == 0) return MarkupFileResult::kEmpty;
  if (static_cast<unsigned long>(size) > max_size) return MarkupFileResult::kTooLarge;
  bytes.resize(static_cast<size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    bytes.clear();
    return MarkupFileResult::kShortRead;
  }
  return MarkupFileResult::kOk;
}

// The host has no system code page; its "ANSI" is ISO 8859-1, one byte per code unit.
bool AnsiToUtf16(const uint8_t* bytes, size_t length, std::wstring& text) {
  text.assign(bytes, bytes + length);
  return true;
}

}  // namespace ui
