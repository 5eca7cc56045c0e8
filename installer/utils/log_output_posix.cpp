#include "installer/utils/log_output.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "installer/utils/string_util.h"

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

// The host build has no debugger channel; the file side behaves as on Windows.
void WriteDebugOutput(const std::wstring&) {}

void AppendLogFile(const std::wstring& path, const std::string& bytes) {
  static std::mutex* const lock = new std::mutex;
  std::lock_guard<std::mutex> hold(*lock);
  const std::string narrow = Utf16ToUtf8(path);
  struct stat info;
  const bool existed = ::stat(narrow.c_str(), &info) == 0;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(narrow.c_str(), "a+b"));
  if (!file) return;
  if (!existed) std::fwrite("\xEF\xBB\xBF", 1, 3, file.get());
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
}
