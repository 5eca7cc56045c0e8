#include "installer/utils/log_output.h"

#include <windows.h>

#include <cstdio>

namespace {

// Created once, with the project's usual spin count, and never destroyed: a line
// logged during process exit must still find it.
CRITICAL_SECTION* FileLock() {
  static CRITICAL_SECTION* lock = [] {
    auto* section = new CRITICAL_SECTION;
    InitializeCriticalSectionAndSpinCount(section, 2000);
    return section;
  }();
  return lock;
}

}  // namespace

void WriteDebugOutput(const std::wstring& line) { OutputDebugStringW(line.c_str()); }

void AppendLogFile(const std::wstring& path, const std::string& bytes) {
  EnterCriticalSection(FileLock());
  const bool existed = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (FILE* file = _wfopen(path.c_str(), L"a+b")) {
    if (!existed) std::fwrite("\xEF\xBB\xBF", 1, 3, file);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  LeaveCriticalSection(FileLock());
}
