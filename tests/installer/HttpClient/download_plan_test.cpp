#include "installer/HttpClient/download_plan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DownloadPlanTest, FileNameIsTheLastPathSegmentBeforeQueryOrAmpersand) {
  struct Case {
    const wchar_t* url;
    const wchar_t* name;
  };
  const Case cases[] = {
      {L"http://h/dl/setup.exe?x=1&y=2", L"setup.exe"},
      {L"http://h/dl/a&b", L"a"},
      {L"http://h/setup.exe", L"setup.exe"},
      {L"http://h/setup.exe?next=/other/path", L"setup.exe"},
      {L"http://h/dir/", L""},
      {L"setup.exe", L"setup.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileNameFromUrl(c.url), c.name) << c.url;
}

TEST(DownloadPlanTest, UsableDownloadLimits) {
  const std::wstring url = L"http://h/setup.exe";
  EXPECT_TRUE(IsUsableDownload(url, L"setup.exe"));
  EXPECT_TRUE(IsUsableDownload(std::wstring(511, L'/'), L"a"));
  EXPECT_FALSE(IsUsableDownload(std::wstring(512, L'/'), L"a"));
  EXPECT_FALSE(IsUsableDownload(L"setup.exe", L"setup.exe"));
  EXPECT_TRUE(IsUsableDownload(url, std::wstring(255, L'a')));
  EXPECT_FALSE(IsUsableDownload(url, std::wstring(256, L'a')));
  for (const wchar_t* name : {L"", L".", L"..", L"a:b", L"a*b", L"a\"b", L"a<b", L"a>b",
                              L"a|b", L"a\\b", L"a\tb"}) {
    EXPECT_FALSE(IsUsableDownload(url, name)) << name;
  }
}

TEST(DownloadPlanTest, EightRangesCoverTheFileExactly) {
  struct Case {
    int32_t length;
    int32_t part;
    int32_t last_size;
  };
  const Case cases[] = {
      {800, 100, 100}, {805, 100, 105}, {8, 1, 1}, {7, 0, 7},
      {1, 0, 1},       {0, 0, 0},       {2147483647, 268435455, 268435462},
  };
  for (const Case& c : cases) {
    const std::vector<ByteRange> ranges = SplitIntoRanges(c.length);
    ASSERT_EQ(ranges.size(), 8u);
    int64_t next = 0;
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(ranges[i].first, next) << c.length << " part " << i;
      EXPECT_EQ(ranges[i].size(), i == 7 ? c.last_size : c.part) << c.length << " part " << i;
      next = static_cast<int64_t>(ranges[i].last) + 1;
    }
    EXPECT_EQ(next, c.length);
  }
  const std::vector<ByteRange> ranges = SplitIntoRanges(805);
  EXPECT_EQ(ranges[0].first, 0);
  EXPECT_EQ(ranges[0].last, 99);
  EXPECT_EQ(ranges[7].first, 700);
  EXPECT_EQ(ranges[7].last, 804);
}

TEST(DownloadPlanTest, PartAnswerMustDeliverExactlyTheRange) {
  const ByteRange middle{100, 199};
  const ByteRange whole{0, 6};
  struct Case {
    int status;
    const char* content_range;
    ByteRange range;
    int32_t length;
    int64_t received;
    bool ok;
  };
  const Case cases[] = {
      {206, "bytes 100-199/805", middle, 805, 100, true},
      {206, "bytes 100-199/805", middle, 805, 99, false},
      {206, "bytes 100-199/805", middle, 805, 101, false},
      {206, "bytes 101-200/805", middle, 805, 100, false},
      {206, "bytes 100-199/806", middle, 805, 100, false},
      {206, "bytes 100-199/*", middle, 805, 100, false},
      {206, "", middle, 805, 100, false},
      {206, "bytes 100-199/805 ", middle, 805, 100, false},
      {206, "items 100-199/805", middle, 805, 100, false},
      {200, "", middle, 805, 100, false},
      {200, "", whole, 7, 7, true},
      {200, "", whole, 7, 8, false},
      {200, "", whole, 8, 7, false},
      {500, "", whole, 7, 7, false},
      {416, "bytes */805", middle, 805, 100, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PartAnswerMatches(c.status, c.content_range, c.range, c.length, c.received), c.ok)
        << c.status << " " << c.content_range << " " << c.received;
  }
}

TEST(DownloadPlanTest, PercentIsTruncatedAndZeroWithoutATotal) {
  EXPECT_EQ(ProgressPercent(0, 100), 0);
  EXPECT_EQ(ProgressPercent(1, 100), 1);
  EXPECT_EQ(ProgressPercent(199, 200), 99);
  EXPECT_EQ(ProgressPercent(200, 200), 100);
  EXPECT_EQ(ProgressPercent(300, 200), 100);
  EXPECT_EQ(ProgressPercent(10, 0), 0);
  EXPECT_EQ(ProgressPercent(-5, 10), 0);
}

}  // namespace
