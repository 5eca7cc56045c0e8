// Runs the built installer as a real process in the Wine prefix: a copy under a name of
// the test's own, started from a folder without a "resources" folder, so the log file and
// the single-instance mutex belong to this test alone.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/win/scoped_handle.h"

namespace {

using nbase::win::ScopedHandle;

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

std::wstring ThisExecutable() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// %LOCALAPPDATA%\Temp\<base>_log.txt
std::wstring LogFileOf(const std::wstring& base_name) {
  wchar_t local[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"";
  return std::wstring(local) + L"\\Temp\\" + base_name + L"_log.txt";
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class InstallerProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    static int count = 0;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"qm_main_test_" + std::to_wstring(::GetCurrentProcessId()) +
              L"_" + std::to_wstring(++count) + L"\\";
    ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
  }
  void TearDown() override {
    for (const std::wstring& file : copies_) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }

  // A copy of the installer named `file_name` in the test's folder.
  std::wstring CopyInstaller(const std::wstring& file_name) {
    const std::wstring source = Folder(ThisExecutable()) + L"QivMoltrixSetup.exe";
    const std::wstring copy = folder_ + file_name;
    if (!::CopyFileW(source.c_str(), copy.c_str(), FALSE)) return L"";
    copies_.push_back(copy);
    return copy;
  }

  // Runs the program in the test's folder; its exit code, or -1 when it could not start
  // or was still running after the deadline (it is then ended).
  long RunToEnd(const std::wstring& program, DWORD deadline_ms = 60000) {
    std::wstring command_line = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(program.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder_.c_str(), &startup, &info)) {
      ADD_FAILURE() << "could not start the installer, error " << ::GetLastError();
      return -1;
    }
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);
    if (::WaitForSingleObject(process.get(), deadline_ms) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the installer did not end on its own";
      ::TerminateProcess(process.get(), 99);
      ::WaitForSingleObject(process.get(), 10000);
      return -1;
    }
    DWORD exit_code = 0;
    ::GetExitCodeProcess(process.get(), &exit_code);
    return static_cast<long>(exit_code);
  }

  std::wstring UniqueBaseName(const wchar_t* tag) {
    return std::wstring(L"qmsetup_") + tag + L"_" + std::to_wstring(::GetCurrentProcessId());
  }

  std::wstring folder_;
  std::vector<std::wstring> copies_;
};

// The text lines of a log file, with their line ends checked on the way.
std::vector<std::string> CheckedLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "the file does not end with CR LF";
      break;
    }
    const std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a lone CR or LF in: " << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

size_t IndexOfLineWith(const std::vector<std::string>& lines, const std::string& text) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(text) != std::string::npos) return i;
  }
  return lines.size();
}

TEST_F(InstallerProcessTest, WithoutAFormItEndsOnItsOwnAndLeavesACompleteLog) {
  const std::wstring base = UniqueBaseName(L"noform");
  const std::wstring log = LogFileOf(base);
  ASSERT_FALSE(log.empty());
  ::DeleteFileW(log.c_str());
  const std::wstring program = CopyInstaller(base + L".exe");
  ASSERT_FALSE(program.empty());

  EXPECT_EQ(RunToEnd(program), 0);

  const std::string bytes = ReadBytes(log);
  ::DeleteFileW(log.c_str());
  ASSERT_FALSE(bytes.empty()) << "no log file";
  const std::string bom = "\xEF\xBB\xBF";
  ASSERT_EQ(bytes.compare(0, 3, bom), 0) << "the file does not start with the byte-order mark";
  EXPECT_EQ(bytes.find(bom, 3), std::string::npos) << "a second byte-order mark";
  const std::vector<std::string> lines = CheckedLines(bytes.substr(3));

  const std::string in_order[] = {
      "LV_APP] ------- start setup -------",
      "LV_APP] app: run message loop",
      "LV_ERR] app: no setup window, end message loop",
      "LV_APP] app: leave message loop",
  };
  size_t previous = 0;
  for (const std::string& text : in_order) {
    const size_t at = IndexOfLineWith(lines, text);
    ASSERT_LT(at, lines.size()) << "missing: " << text;
    EXPECT_GE(at, previous) << "out of order: " << text;
    previous = at;
  }
  EXPECT_EQ(IndexOfLineWith(lines, "app: started"), lines.size())
      << "the start-up line belongs to the debugger output only";
  EXPECT_EQ(lines.size(), 4u);
}

TEST_F(InstallerProcessTest, ASecondStartUnderTheSameNameExitsAtOnceAndWritesNothing) {
  const std::wstring base = UniqueBaseName(L"second");
  const std::wstring log = LogFileOf(base);
  ::DeleteFileW(log.c_str());
  // The first instance's mutex, as it holds it while its window shows.
  ScopedHandle first_instance(::CreateMutexW(nullptr, TRUE, base.c_str()));
  ASSERT_TRUE(first_instance);
  const std::wstring program = CopyInstaller(base + L".exe");
  ASSERT_FALSE(program.empty());

  EXPECT_EQ(RunToEnd(program), 0);
  EXPECT_FALSE(Exists(log)) << "the second instance wrote a log";

  // Once the first instance is gone, the name is free again.
  first_instance.reset();
  EXPECT_EQ(RunToEnd(program), 0);
  EXPECT_TRUE(Exists(log));
  ::DeleteFileW(log.c_str());
}

TEST_F(InstallerProcessTest, AFileNameWithTwoDotsRunsWithAnEmptyBaseName) {
  const std::wstring log = LogFileOf(L"");
  ::DeleteFileW(log.c_str());
  const std::wstring program = CopyInstaller(UniqueBaseName(L"two") + L".dots.exe");
  ASSERT_FALSE(program.empty());

  EXPECT_EQ(RunToEnd(program), 0);
  const std::string bytes = ReadBytes(log);
  ::DeleteFileW(log.c_str());
  EXPECT_NE(bytes.find("------- start setup -------"), std::string::npos)
      << "no \"_log.txt\" with the start-up lines";
}

}  // namespace
