#include "installer/utils/string_util.h"

#include <gtest/gtest.h>

TEST(StringUtilTest, Utf8RoundTripKeepsPairsAndBmpText) {
  const std::wstring text = {L'a', 0x00E9, 0x4E2D, 0xD83D, 0xDE00, L'z'};
  const std::string utf8 = Utf16ToUtf8(text);
  EXPECT_EQ(utf8, "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
  EXPECT_EQ(Utf8ToUtf16(utf8), text);
}
