#include "installer/utils/log_startup.h"

#include <gtest/gtest.h>

namespace {

TEST(LogStartupTest, LogFileLivesInTempBelowTheLocalAppDataFolder) {
  const struct {
    const wchar_t* folder;
    const wchar_t* base_name;
    const wchar_t* path;
  } cases[] = {
      {L"C:\\Users\\u\\AppData\\Local\\", L"QivMoltrixSetup",
       L"C:\\Users\\u\\AppData\\Local\\Temp\\QivMoltrixSetup_log.txt"},
      // An executable name with two dots or none has an empty base name.
      {L"C:\\L\\", L"", L"C:\\L\\Temp\\_log.txt"},
      // Without the folder there is no file: a relative path would follow the current folder.
      {L"", L"QivMoltrixSetup", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LogFilePath(c.folder, c.base_name), c.path);
  }
}

}  // namespace
