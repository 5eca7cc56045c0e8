#include "installer/window/install_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(InstallRulesTest, DurationBucketsFollowTheTruncatedSeconds) {
  struct Case {
    double seconds;
    const char* bucket;
  };
  const Case cases[] = {
      {-5, ""},
      {0, ""},
      {0.999, ""},
      {1, "0-15s"},
      {15.5, "0-15s"},
      {15.999, "0-15s"},
      {16, "15.1-30s"},
      {30.9, "15.1-30s"},
      {31, "30.1s-1min"},
      {60.5, "30.1s-1min"},
      {61, "1-2mins"},
      {120, "1-2mins"},
      {121, "2-3mins"},
      {180.9, "2-3mins"},
      {181, "3-5mins"},
      {300, "3-5mins"},
      {301, "5-10mins"},
      {600, "5-10mins"},
      {600.7, "5-10mins"},
      {601, "over 10mins"},
      {1.0e300, "over 10mins"},
      {std::numeric_limits<double>::infinity(), "over 10mins"},
      {-std::numeric_limits<double>::infinity(), ""},
      {std::nan(""), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DurationBucket(c.seconds), c.bucket) << "seconds " << c.seconds;
  }
}

TEST(InstallRulesTest, DownloadPercentFillsTheBarToNinetyRoundingUp) {
  struct Case {
    int percent;
    int bar;
  };
  const Case cases[] = {
      {0, 0}, {1, 1}, {2, 2}, {10, 9}, {11, 10}, {50, 45}, {99, 90}, {100, 90},
      {101, -1}, {-1, -1}, {std::numeric_limits<int>::min(), -1}, {std::numeric_limits<int>::max(), -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BarValueForDownloadPercent(c.percent), c.bar) << "percent " << c.percent;
  }
  for (int p = 0; p <= 100; ++p) {
    EXPECT_EQ(BarValueForDownloadPercent(p), static_cast<int>(std::ceil(p * 9 / 10.0))) << p;
  }
}

TEST(InstallRulesTest, RequiredSpaceIsThreeTimesTheDownloadInWholeMiB) {
  struct Case {
    double bytes;
    long long mib;
  };
  const Case cases[] = {
      {125829120.0, 360},          // the size assumed before the length is known
      {0, 0},                      // the length query failed
      {-1, 0},
      {std::nan(""), 0},
      {1048575, 2},                // 3 * (1 MiB - 1) is just under 3 MiB
      {1048576, 3},
      {349525, 0},                 // 3 bytes short of 1 MiB in total
      {1.0e300, 1000000000000000LL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RequiredDiskSpaceMiB(c.bytes), c.mib) << "bytes " << c.bytes;
  }
}

TEST(InstallRulesTest, PlaceholdersAreFilledWithoutFormatting) {
  struct Case {
    const wchar_t* text;
    const wchar_t* placeholder;
    const wchar_t* value;
    const wchar_t* filled;
  };
  const Case cases[] = {
      {L"%s is currently running, please exit the program first.", L"%s", L"Qiv Moltrix",
       L"Qiv Moltrix is currently running, please exit the program first."},
      {L"(%d MB of disk space is required.)", L"%d", L"360", L"(360 MB of disk space is required.)"},
      {L"%s and %s", L"%s", L"x", L"x and x"},
      {L"100%% sure %s", L"%s", L"y", L"100% sure y"},
      // Other conversions of a translated text stay literal instead of reading arguments.
      {L"%n%x %d %s", L"%s", L"z", L"%n%x %d z"},
      {L"trailing %", L"%s", L"v", L"trailing %"},
      {L"value holds %s", L"%s", L"%s%%", L"value holds %s%%"},
      {L"", L"%s", L"v", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FillPlaceholder(c.text, c.placeholder, c.value), c.filled) << c.text;
  }
}
