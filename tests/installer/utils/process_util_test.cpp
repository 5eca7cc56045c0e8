#include "installer/utils/process_util.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "installer/utils/string_util.h"

namespace {

TEST(ProcessUtilTest, SilentSetupParametersQuoteTheFolderAndPassword) {
  const struct {
    std::wstring folder, password, parameters;
  } cases[] = {
      {L"C:\\Program Files\\QivMoltrix", L"",
       L"/DIR=\"C:\\Program Files\\QivMoltrix\" /dorvane_down /wait_run /verysilent"},
      {L"D:\\Apps", L"s3cret",
       L"/DIR=\"D:\\Apps\" /dorvane_down /PASSWORD=\"s3cret\" /wait_run /verysilent"},
      {L"D:\\With Space\\", L"two words",
       L"/DIR=\"D:\\With Space\\\" /dorvane_down /PASSWORD=\"two words\" /wait_run /verysilent"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildSilentSetupParameters(c.folder, c.password), c.parameters)
        << Utf16ToUtf8(c.parameters);
  }
}

TEST(ProcessUtilTest, TaskListCommandFiltersByImageNameWithoutHeader) {
  EXPECT_EQ(BuildTaskListCommand(L"Moltrix.exe"), L"tasklist /FI \"IMAGENAME eq Moltrix.exe\" /NH");
}

TEST(ProcessUtilTest, TaskListShowsImageFindsOnlyRowsOfThatExactName) {
  const std::wstring rows =
      L"\r\n"
      L"Moltrix.exe                   4242 Console                    1     10,240 K\r\n"
      L"Moltrix.exe                     12 Services                   0      2,048 K\r\n";
  const std::wstring none = L"INFO: No tasks are running which match the specified criteria.\r\n";
  const struct {
    const std::wstring* answer;
    const wchar_t* image_name;
    bool shown;
  } cases[] = {
      {&rows, L"Moltrix.exe", true},
      {&rows, L"moltrix.exe", false},
      {&rows, L"Moltrix", false},
      {&rows, L"trix.exe", false},
      {&rows, L"Console", false},
      {&rows, L"", false},
      {&none, L"INFO:", false},
      {&none, L"tasks", false},
      {&none, L"Moltrix.exe", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TaskListShowsImage(*c.answer, c.image_name), c.shown) << Utf16ToUtf8(c.image_name);
  }
  const std::wstring lf_only = L"\nfoo.exe 1 Console 1 1 K";
  EXPECT_TRUE(TaskListShowsImage(lf_only, L"foo.exe"));
}

TEST(ProcessUtilTest, UnixTimeFromFileTimeCountsWholeSecondsSince1970) {
  constexpr uint64_t kEpoch = 116444736000000000ull;
  const struct {
    uint64_t file_time;
    int64_t seconds;
  } cases[] = {
      {kEpoch, 0},
      {kEpoch + 9999999, 0},
      {kEpoch + 10000000, 1},
      {kEpoch + 1704067200ull * 10000000, 1704067200},  // 2024-01-01 00:00:00 UTC
      {kEpoch - 15000000, -1},                          // rounds toward zero
      {0, -11644473600},                                // 1601-01-01
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnixTimeFromFileTime(c.file_time), c.seconds) << c.file_time;
  }
}

}  // namespace
