// The silent installation with the stand-in setup program of tests/fixtures, run for
// real: elevated start, waits, files left behind, and every way it can fail.
#include "installer/window/silent_install.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "installer/utils/path_util.h"
#include "installer/utils/string_util.h"
#include "tests/installer/utils/scoped_environment.h"
#include "tests/support/scoped_temp_folder.h"

namespace {

// A job that installs the stand-in setup program (copied, since the job deletes it)
// into a folder whose name holds a space (one level down: the temporary folder removes
// that much).
SilentInstallJob JobIn(const ScopedTempFolder& temp) {
  SilentInstallJob job;
  job.setup_program = temp.path() + L"setup.exe";
  EXPECT_TRUE(::CopyFileW((GetExeDir() + L"stand_in_setup.exe").c_str(),
                          job.setup_program.c_str(), FALSE));
  job.folder = temp.path() + L"Qiv Moltrix";
  job.product_exe = job.folder + L"\\Moltrix.exe";
  job.language_file = temp.path() + L"language";
  job.language = L"English";
  return job;
}

std::string Read(const std::wstring& path) {
  std::string bytes;
  ReadWholeFile(path, &bytes);
  return bytes;
}

TEST(SilentInstallTest, InstallsRecordsTheLanguageAndRunsTheProductOnce) {
  struct Case {
    bool default_viewer;
    const wchar_t* password;
    const char* setup_arguments_tail;
    const char* product_arguments;
  };
  const Case cases[] = {
      {true, L"", " /dorvane_down /wait_run /verysilent", "--install=1"},
      {false, L"pw 1", " /dorvane_down /PASSWORD=\"pw 1\" /wait_run /verysilent", "--install=0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.product_arguments);
    ScopedTempFolder temp;
    ASSERT_TRUE(temp.valid());
    SilentInstallJob job = JobIn(temp);
    job.default_viewer = c.default_viewer;
    job.password = c.password;

    const SilentInstallResult result = RunSilentInstall(job);

    EXPECT_EQ(result.outcome, InstallOutcome::kInstalled);
    EXPECT_EQ(result.exit_code, 0u);
    EXPECT_EQ(Read(job.folder + L"\\setup_cmdline.txt"),
              "/DIR=\"" + Utf16ToUtf8(job.folder) + "\"" + c.setup_arguments_tail);
    EXPECT_EQ(Read(job.folder + L"\\product_cmdline.txt"), c.product_arguments);
    EXPECT_EQ(Read(job.language_file), "English");
    EXPECT_FALSE(FileExists(job.setup_program)) << "the downloaded setup is deleted";
  }
}

TEST(SilentInstallTest, AFailedSetupIsReportedAndNothingElseHappens) {
  struct Case {
    const char* name;
    const wchar_t* variable;
    const wchar_t* value;
    bool setup_is_text;
    InstallOutcome outcome;
    uint32_t exit_code;
  };
  const Case cases[] = {
      {"non-zero exit code", L"QM_STAND_IN_SETUP_EXIT", L"3", false,
       InstallOutcome::kSetupFailed, 3},
      {"no product left", L"QM_STAND_IN_PRODUCT_NAME", L"Other.exe", false,
       InstallOutcome::kProductMissing, 0},
      {"not a program", L"QM_STAND_IN_SETUP_EXIT", L"0", true, InstallOutcome::kSetupNotStarted, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempFolder temp;
    ASSERT_TRUE(temp.valid());
    SilentInstallJob job = JobIn(temp);
    if (c.setup_is_text) {
      ASSERT_TRUE(WriteTextFile(job.setup_program, L"not a program"));
    }
    ScopedEnvironment environment(c.variable, c.value);

    const SilentInstallResult result = RunSilentInstall(job);

    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.exit_code, c.exit_code);
    EXPECT_FALSE(FileExists(job.language_file));
    EXPECT_FALSE(FileExists(job.folder + L"\\product_cmdline.txt")) << "the product never ran";
    EXPECT_FALSE(FileExists(job.setup_program));
  }
}

TEST(SilentInstallTest, AMissingSetupProgramIsNotStarted) {
  ScopedTempFolder temp;
  ASSERT_TRUE(temp.valid());
  SilentInstallJob job = JobIn(temp);
  job.setup_program = temp.path() + L"absent.exe";
  EXPECT_EQ(RunSilentInstall(job).outcome, InstallOutcome::kSetupNotStarted);
  EXPECT_FALSE(FileExists(job.language_file));
}

TEST(SilentInstallTest, TheWorkerPostsItsOutcomeToTheWindow) {
  struct Case {
    const wchar_t* exit_code;
    InstallOutcome outcome;
  };
  const Case cases[] = {{L"0", InstallOutcome::kInstalled}, {L"7", InstallOutcome::kSetupFailed}};
  for (const Case& c : cases) {
    ScopedTempFolder temp;
    ASSERT_TRUE(temp.valid());
    SilentInstallJob job = JobIn(temp);
    ScopedEnvironment environment(L"QM_STAND_IN_SETUP_EXIT", c.exit_code);
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    job.window = window;
    ASSERT_TRUE(StartSilentInstall(job));

    MSG message = {};
    bool finished = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!finished && std::chrono::steady_clock::now() < deadline) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
      while (!finished && ::PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
        if (message.message == WM_INSTALL_FINISHED) {
          finished = true;
        } else {
          ::DispatchMessageW(&message);
        }
      }
    }
    ::DestroyWindow(window);
    ASSERT_TRUE(finished) << "no WM_INSTALL_FINISHED within 60 s";
    EXPECT_EQ(static_cast<InstallOutcome>(message.wParam), c.outcome);
    EXPECT_EQ(message.lParam, _wtoi(c.exit_code));
  }
}

}  // namespace
