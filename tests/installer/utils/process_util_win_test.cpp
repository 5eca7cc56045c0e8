#include "installer/utils/process_util.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "installer/utils/logger.h"
#include "installer/utils/path_util.h"
#include "installer/utils/string_util.h"
#include "tests/installer/utils/scoped_environment.h"
#include "tests/installer/utils/scratch_folder.h"
#include "tests/installer/utils/wait_until.h"

namespace {

// The stand-in setup program (tests/fixtures), built beside this test.
std::wstring StandInSetup() { return GetExeDir() + L"stand_in_setup.exe"; }

// A copy of the stand-in in `folder`, so that what it records lands there.
std::wstring CopyOfStandIn(const ScratchFolder& folder, const std::wstring& name) {
  const std::wstring copy = folder.File(name);
  EXPECT_TRUE(::CopyFileW(StandInSetup().c_str(), copy.c_str(), FALSE));
  return copy;
}

std::string Utf8(const std::wstring& text) { return Utf16ToUtf8(text); }

// Points the log at a file of the scratch folder while it lives.
class ScopedTestLog {
 public:
  explicit ScopedTestLog(const ScratchFolder& folder) : path_(folder.File(L"test_log.txt")) {
    Logger::Instance().SetThreshold(LV_APP);
    Logger::Instance().SetPath(path_);
  }
  ~ScopedTestLog() { Logger::Instance().SetPath(L""); }
  std::string Text() const { return ReadFileBytes(path_); }

 private:
  std::wstring path_;
};

TEST(ProcessUtilWinTest, A64BitProcessIsNotUnderWow64) { EXPECT_FALSE(IsWow64()); }

TEST(ProcessUtilWinTest, UnixTimeFollowsTheSystemClock) {
  const int64_t before = static_cast<int64_t>(std::time(nullptr));
  const int64_t now = GetUnixTime();
  const int64_t after = static_cast<int64_t>(std::time(nullptr));
  EXPECT_GE(now, before - 1);
  EXPECT_LE(now, after + 1);
}

TEST(ProcessUtilWinTest, FileVersionComesFromTheVersionResource) {
  // A bare file name is found in the application's folder, where the installer is built.
  EXPECT_EQ(GetFileVersionString(L"QivMoltrixSetup.exe"), "1.0.0.1");
  EXPECT_EQ(GetFileVersionString(GetExeDir() + L"QivMoltrixSetup.exe"), "1.0.0.1");
  EXPECT_EQ(GetFileVersionString(StandInSetup()), "") << "no version resource";
  EXPECT_EQ(GetFileVersionString(L"no_such_file_here.exe"), "");
}

TEST(ProcessUtilWinTest, IsProcessRunningAsksTaskListAndComparesLetterCase) {
  const struct {
    const wchar_t* running;  // QM_FAKE_TASKS
    const wchar_t* image_name;
    bool found;
  } cases[] = {
      {L"Moltrix.exe", L"Moltrix.exe", true},
      {L"foo.exe;Moltrix.exe;Moltrix.exe", L"Moltrix.exe", true},
      {L"Moltrix.exe", L"moltrix.exe", false},  // tasklist prints "Moltrix.exe"
      {L"MOLTRIX.EXE", L"Moltrix.exe", false},
      {L"foo.exe", L"Moltrix.exe", false},
      {L"", L"Moltrix.exe", false},
      {L"Moltrix.exe", L"Moltrix", false},
      {L"Moltrix.exe", L"", false},
      {L"Moltrix.exe", L"Moltrix.exe\" /FI \"IMAGENAME eq Moltrix.exe", false},
      // The answer's "INFO: No tasks are running ..." line is no process.
      {L"", L"INFO:", false},
      {L"", L"tasks", false},
      {L"A Long Product Name.exe", L"A Long Product Name.exe", true},
  };
  for (const auto& c : cases) {
    ScopedEnvironment tasks(L"QM_FAKE_TASKS", c.running);
    EXPECT_EQ(IsProcessRunning(c.image_name), c.found)
        << Utf8(c.image_name) << " among " << Utf8(c.running);
  }
}

TEST(ProcessUtilWinTest, RunElevatedAndWaitRunsTheProgramToItsEnd) {
  ScratchFolder scratch;
  const std::wstring product = CopyOfStandIn(scratch, L"Moltrix.exe");
  const ProcessOutcome outcome = RunElevatedAndWait(product, L"--install=1");
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exit_code, 0u);
  // It waited: the product's record is complete when the call returns.
  EXPECT_EQ(ReadFileBytes(scratch.File(L"product_cmdline.txt")), "--install=1");
}

TEST(ProcessUtilWinTest, RunElevatedAndWaitTellsAProgramThatDidNotStart) {
  ScratchFolder scratch;
  const ProcessOutcome outcome = RunElevatedAndWait(scratch.File(L"missing.exe"), L"--install=0");
  EXPECT_FALSE(outcome.started);
}

TEST(ProcessUtilWinTest, RunSilentSetupHandsTheSetupItsSwitches) {
  ScratchFolder scratch;
  const struct {
    const wchar_t* folder;
    const wchar_t* password;
  } cases[] = {
      {L"Install Dir\\Qiv Moltrix", L""},
      {L"With Password", L"pass word"},
  };
  for (const auto& c : cases) {
    const std::wstring folder = scratch.Path() + c.folder;
    const ProcessOutcome outcome = RunSilentSetup(StandInSetup(), folder, c.password);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.exit_code, 0u) << Utf8(folder);
    EXPECT_EQ(ReadFileBytes(folder + L"\\setup_cmdline.txt"),
              Utf8(BuildSilentSetupParameters(folder, c.password)));
    EXPECT_TRUE(FileExists(folder + L"\\Moltrix.exe"));
  }
}

TEST(ProcessUtilWinTest, RunSilentSetupReportsTheExitCodeOfAFailedSetup) {
  ScratchFolder scratch;
  ScopedEnvironment failing(L"QM_STAND_IN_SETUP_EXIT", L"3");
  const std::wstring folder = scratch.Path() + L"never";
  const ProcessOutcome outcome = RunSilentSetup(StandInSetup(), folder, L"");
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exit_code, 3u);
  EXPECT_FALSE(FileExists(folder));

  const ProcessOutcome missing = RunSilentSetup(scratch.File(L"missing_setup.exe"), folder, L"");
  EXPECT_FALSE(missing.started);
}

TEST(ProcessUtilWinTest, APaddedSetupProgramStillRuns) {
  ScratchFolder scratch;
  const std::wstring padded = CopyOfStandIn(scratch, L"padded_setup.exe");
  std::string bytes = ReadFileBytes(padded);
  ASSERT_FALSE(bytes.empty());
  bytes.append(1 << 20, '\x5A');
  ASSERT_TRUE(WriteFileBytes(padded, bytes));

  const std::wstring folder = scratch.Path() + L"installed";
  const ProcessOutcome outcome = RunSilentSetup(padded, folder, L"");
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exit_code, 0u);
  EXPECT_EQ(ReadFileBytes(folder + L"\\Moltrix.exe").size(), bytes.size());
}

// A window of this process: its owner's token is this process's own, which stands in
// for the desktop shell's.
class OwnWindow {
 public:
  OwnWindow()
      : window_(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
  ~OwnWindow() {
    if (window_) ::DestroyWindow(window_);
  }
  OwnWindow(const OwnWindow&) = delete;
  OwnWindow& operator=(const OwnWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

TEST(ProcessUtilWinTest, RunAsDesktopUserStartsTheProductAndLogsHow) {
  ScratchFolder scratch;
  ScopedTestLog log(scratch);
  const std::wstring product = CopyOfStandIn(scratch, L"Moltrix.exe");
  const std::wstring record = scratch.File(L"product_cmdline.txt");

  RunAsDesktopUser(product, L"");
  EXPECT_TRUE(WaitUntil([&] { return FileExists(record); }));
  // With a desktop shell (Wine's, under a display) through its token, else through "open".
  const std::string text = log.Text();
  const bool with_token = text.find("LV_APP] start_run CreateLowIntegrityProcess " +
                                    Utf8(product) + ", \r\n") != std::string::npos;
  const bool with_open = text.find("LV_APP] start_run " + Utf8(product) + ", \r\n") !=
                         std::string::npos;
  EXPECT_TRUE(with_token != with_open) << text;
  EXPECT_EQ(with_token, ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr) << text;
}

TEST(ProcessUtilWinTest, RunAsOwnerOfWindowWithTheTokenOfThisProcess) {
  OwnWindow window;
  ASSERT_NE(window.get(), nullptr);
  ScratchFolder scratch;
  ScopedTestLog log(scratch);
  const std::wstring product = CopyOfStandIn(scratch, L"Moltrix.exe");
  const std::wstring record = scratch.File(L"product_cmdline.txt");

  RunAsOwnerOfWindow(window.get(), product, L"--install=1");
  // The parameters arrive as arguments after the program's own name.
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(record) == "--install=1"; }))
      << "the product did not record its start: " << ReadFileBytes(record);
  EXPECT_NE(log.Text().find("LV_APP] start_run CreateLowIntegrityProcess " + Utf8(product) +
                            ", --install=1\r\n"),
            std::string::npos)
      << log.Text();
}

TEST(ProcessUtilWinTest, RunAsOwnerOfNoWindowFallsBackToOpen) {
  ScratchFolder scratch;
  ScopedTestLog log(scratch);
  const std::wstring product = CopyOfStandIn(scratch, L"Moltrix.exe");
  const std::wstring record = scratch.File(L"product_cmdline.txt");

  RunAsOwnerOfWindow(nullptr, product, L"--install=0");
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(record) == "--install=0"; }))
      << "the product did not record its start: " << ReadFileBytes(record);
  const std::string text = log.Text();
  EXPECT_NE(text.find("LV_APP] start_run " + Utf8(product) + ", --install=0\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("CreateLowIntegrityProcess"), std::string::npos) << text;
}

TEST(ProcessUtilWinTest, AFailedFallBackStartIsLoggedWithTheShellResult) {
  ScratchFolder scratch;
  ScopedTestLog log(scratch);
  const std::wstring missing = scratch.File(L"missing.exe");
  RunAsOwnerOfWindow(nullptr, missing, L"--x");
  const std::string text = log.Text();
  const std::string prefix = "LV_ERR] start_run " + Utf8(missing) + ", --x failed ";
  const size_t at = text.find(prefix);
  ASSERT_NE(at, std::string::npos) << text;
  const int result = std::atoi(text.c_str() + at + prefix.size());
  EXPECT_GE(result, 0);
  EXPECT_LE(result, 32);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(ProcessUtilWinTest, OpenUrlHandsTheTargetToTheShell) {
  ScratchFolder scratch;
  const std::wstring product = CopyOfStandIn(scratch, L"Moltrix.exe");
  OpenUrl(product);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(scratch.File(L"product_cmdline.txt")); }));
}

// Runs `body` on a fresh thread, so that its COM state starts empty.
template <typename Body>
void OnFreshThread(Body body) {
  std::thread thread(body);
  thread.join();
}

TEST(ProcessUtilWinTest, IsConnectedToInternetLeavesTheThreadsComStateAsItWas) {
  OnFreshThread([] {
    IsConnectedToInternet();
    // Not initialised before, so not initialised after: a fresh initialisation.
    const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(initialised, S_OK);
    if (SUCCEEDED(initialised)) ::CoUninitialize();
  });
  OnFreshThread([] {
    // A thread of the other apartment kind keeps its COM.
    ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    IsConnectedToInternet();
    const HRESULT again = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(again, S_FALSE) << "the caller's COM was torn down";
    if (SUCCEEDED(again)) ::CoUninitialize();
    ::CoUninitialize();
  });
}

}  // namespace
