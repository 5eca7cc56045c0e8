#include "ui/core/markup_platform.h"

#include <windows.h>
#include <shlwapi.h>

#include <climits>

#include "base/win/scoped_handle.h"

namespace ui {

bool IsRelativeFilePath(const std::wstring& path) {
  return ::PathIsRelativeW(path.c_str()) != FALSE;
}

MarkupFileResult ReadWholeFile(const std::wstring& path, size_t max_size,
                               std::vector<uint8_t>& bytes) {
  bytes.clear();
  nbase::win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                              nullptr));
  if (!file) return MarkupFileResult::kCannotOpen;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size)) return MarkupFileResult::kCannotOpen;
  if (size.QuadPart == 0) return MarkupFileResult::kEmpty;
  if (static_cast<unsigned long long>(size.QuadPart) > max_size) {
    return MarkupFileResult::kTooLarge;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(bytes.size() - done);
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, want, &read, nullptr) || read == 0) break;
    done += read;
  }
  if (done < bytes.size()) {
    bytes.clear();
    return MarkupFileResult::kShortRead;
  }
  return MarkupFileResult::kOk;
}

bool AnsiToUtf16(const uint8_t* bytes, size_t length, std::wstring& text) {
  text.clear();
  if (length == 0) return true;
  if (length > INT_MAX) return false;
  const char* source = reinterpret_cast<const char*>(bytes);
  const int size = static_cast<int>(length);
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, source, size, nullptr, 0);
  if (needed <= 0) return false;
  text.resize(static_cast<size_t>(needed));
  return ::MultiByteToWideChar(CP_ACP, 0, source, size, &text[0], needed) == needed;
}

}  // namespace ui
