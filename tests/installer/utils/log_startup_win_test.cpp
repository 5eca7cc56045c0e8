#include "installer/utils/log_startup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "installer/utils/logger.h"
#include "installer/utils/path_util.h"
#include "tests/installer/utils/debug_output_capture.h"
#include "tests/installer/utils/scratch_folder.h"

namespace {

TEST(LogStartupWinTest, StartsTheFileLogInTheLocalTempFolder) {
  const std::wstring expected_path =
      GetLocalAppDataDir() + L"Temp\\log_startup_win_test_log.txt";
  ::DeleteFileW(expected_path.c_str());
  DebugOutputCapture capture;

  StartLogging();
  EXPECT_EQ(Logger::Instance().Path(), expected_path);
  QLOG(LV_APP, L"------- start setup -------");
  QLOG(LV_PRO, L"detail");
  Logger::Instance().SetPath(L"");

  const std::string bytes = ReadFileBytes(expected_path);
  ::DeleteFileW(expected_path.c_str());
  // "app: started" is logged before the path is set: debugger output only.
  EXPECT_TRUE(capture.Contains("LV_APP] app: started\r\n"));
  EXPECT_EQ(bytes.find("app: started"), std::string::npos);
  EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);
  EXPECT_NE(bytes.find("LV_APP] ------- start setup -------\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("detail"), std::string::npos) << "the threshold is LV_APP";
}

}  // namespace
