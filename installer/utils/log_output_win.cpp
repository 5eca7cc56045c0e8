#include "installer/utils/log_output.h"

#include <windows.h>
#include <objbase.h>  // scoped_handle.h needs CoTaskMemFree

#include "base/win/scoped_handle.h"
#include "base/synchronization/lock.h"

namespace {

// Never destroyed: a line logged during process exit must still find it.
nbase::Lock& FileLock() {
  static nbase::Lock* const lock = new nbase::Lock;
  return *lock;
}

void WriteAll(HANDLE file, const char* data, size_t size) {
  DWORD written = 0;
  ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
}

}  // namespace

void WriteDebugOutput(const std::wstring& line) { ::OutputDebugStringW(line.c_str()); }

void AppendLogFile(const std::wstring& path, const std::string& bytes) {
  nbase::AutoLock hold(&FileLock());
  nbase::win::ScopedHandle file(::CreateFileW(
      path.c_str(), FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  // Whether the file existed is part of the same open, so no other writer can slip in
  // between the check and the byte-order mark.
  const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
  if (!existed) WriteAll(file.get(), "\xEF\xBB\xBF", 3);
  WriteAll(file.get(), bytes.data(), bytes.size());
}
