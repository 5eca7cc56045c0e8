#include "installer/utils/string_util.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

// Text built from explicit UTF-16 code units, the same on 16- and 32-bit wchar_t.
std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring text;
  for (unsigned unit : units) text += static_cast<wchar_t>(unit);
  return text;
}

struct Utf16Case {
  const char* name;
  std::wstring utf16;
  std::string utf8;
};

TEST(StringUtilTest, Utf16ToUtf8EncodesEveryFormAndKeepsUnpairedSurrogates) {
  const Utf16Case cases[] = {
      {"empty", Units({}), ""},
      {"ascii", Units({'a', 'B', '~'}), "aB~"},
      {"two bytes", Units({0x00E9, 0x07FF}), "\xC3\xA9\xDF\xBF"},
      {"three bytes", Units({0x0800, 0x4E2D, 0xFFFF}), "\xE0\xA0\x80\xE4\xB8\xAD\xEF\xBF\xBF"},
      {"pair", Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"},
      {"highest pair", Units({0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF"},
      {"high before a letter", Units({0xD800, 'a'}), "\xED\xA0\x80" "a"},
      {"lone low", Units({'a', 0xDC00, 'b'}), "a\xED\xB0\x80" "b"},
      {"low before high before low", Units({0xDC00, 0xD800, 0xDC00}),
       "\xED\xB0\x80\xF0\x90\x80\x80"},
      {"two highs then a low", Units({0xD800, 0xD800, 0xDC00}), "\xED\xA0\x80\xF0\x90\x80\x80"},
  };
  for (const Utf16Case& c : cases) {
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.name;
  }
}

TEST(StringUtilTest, Utf16ToUtf8IsEmptyWhenTheInputEndsInsideAPair) {
  EXPECT_EQ(Utf16ToUtf8(Units({0xD800})), "");
  EXPECT_EQ(Utf16ToUtf8(Units({'a', 'b', 0xDBFF})), "");
  EXPECT_EQ(Utf16ToUtf8(Units({0xD83D, 0xDE00, 0xD83D})), "");
}

TEST(StringUtilTest, Utf8ToUtf16DecodesEveryForm) {
  const Utf16Case cases[] = {
      {"empty", Units({}), ""},
      {"ascii", Units({'a', 0x7F}), "a\x7F"},
      {"two bytes", Units({0x0080, 0x07FF}), "\xC2\x80\xDF\xBF"},
      {"three bytes", Units({0x0800, 0xD7FF, 0xE000, 0xFFFF}),
       "\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"},
      {"four bytes", Units({0xD800, 0xDC00, 0xDBFF, 0xDFFF}),
       "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
  };
  for (const Utf16Case& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.name;
  }
}

TEST(StringUtilTest, Utf8ToUtf16IsEmptyForIllegalOrTruncatedInput) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"stray continuation", "ab\x80"},
      {"invalid lead FF", "\xFF"},
      {"five-byte lead", "\xF8\x88\x80\x80\x80"},
      {"overlong slash in two bytes", "\xC0\xAF"},
      {"overlong in three bytes", "\xE0\x80\xAF"},
      {"overlong in four bytes", "\xF0\x80\x80\xAF"},
      {"above U+10FFFF", "\xF4\x90\x80\x80"},
      {"encoded high surrogate", "\xED\xA0\x80"},
      {"encoded low surrogate", "x\xED\xBF\xBF"},
      {"letter where a continuation belongs", "\xC3\x28"},
      {"truncated two bytes", "abc\xC3"},
      {"truncated three bytes", "\xE4\xB8"},
      {"truncated four bytes", "ok\xF0\x9F\x98"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.bytes), L"") << c.name;
  }
}

TEST(StringUtilTest, LongTextRoundTripsWhole) {
  std::wstring text;
  for (int i = 0; i < 20000; ++i) {
    text += static_cast<wchar_t>('a' + i % 26);
    if (i % 7 == 0) text += Units({0xD83D, 0xDE00});
    if (i % 11 == 0) text += Units({0x4E2D});
  }
  const std::string utf8 = Utf16ToUtf8(text);
  ASSERT_FALSE(utf8.empty());
  EXPECT_EQ(Utf8ToUtf16(utf8), text);
}

TEST(StringUtilTest, StringPrintfGrowsItsBufferForLongResults) {
  for (size_t length : {0u, 1u, 1023u, 1024u, 1025u, 2047u, 2048u, 5000u, 1000000u}) {
    const std::string filler(length, 'x');
    EXPECT_EQ(StringPrintf("%s", filler.c_str()), filler) << length;
    EXPECT_EQ(StringPrintf("<%s|%d>", filler.c_str(), -7), "<" + filler + "|-7>") << length;
  }
}

TEST(StringUtilTest, StringPrintfIsEmptyWhenTheLargestBufferIsTooSmall) {
  // The largest buffer holds 33,554,432 characters including the terminating zero.
  EXPECT_EQ(StringPrintf("%*s", 33554431, "").size(), 33554431u);
  EXPECT_EQ(StringPrintf("%*s", 33554432, ""), "");
}

TEST(StringUtilTest, WStringPrintfGrowsItsBufferForLongResults) {
  for (size_t length : {0u, 1023u, 1024u, 1025u, 4097u, 100000u}) {
    const std::wstring filler(length, L'y');
    EXPECT_EQ(WStringPrintf(L"%ls", filler.c_str()), filler) << length;
    EXPECT_EQ(WStringPrintf(L"[%d] %ls.", 42, filler.c_str()), L"[42] " + filler + L".")
        << length;
  }
}

TEST(StringUtilTest, WStringPrintfFormatsNumbersAndWideText) {
  EXPECT_EQ(WStringPrintf(L"{%d}", 3), L"{3}");
  EXPECT_EQ(WStringPrintf(L"%04d-%02d", 2024, 5), L"2024-05");
  EXPECT_EQ(WStringPrintf(L"%lld", -9223372036854775807LL - 1), L"-9223372036854775808");
  EXPECT_EQ(WStringPrintf(L"%ls:%ld", L"main.cpp", 12L), L"main.cpp:12");
}

TEST(StringUtilTest, ReplaceAllScansLeftToRightWithoutRescanning) {
  const struct {
    std::wstring find, replacement, subject, expected;
  } cases[] = {
      {L"\\\\", L"\\", L"a\\\\\\\\b", L"a\\\\b"},
      {L"a", L"aa", L"aaa", L"aaaaaa"},
      {L"ab", L"", L"aabb", L"ab"},
      {L"/", L"\\", L"C:/x/y", L"C:\\x\\y"},
      {L"x", L"y", L"", L""},
      {L"", L"y", L"abc", L"abc"},
      {L"%s", L"Qiv Moltrix", L"%s is running (%s)", L"Qiv Moltrix is running (Qiv Moltrix)"},
  };
  for (const auto& c : cases) {
    std::wstring subject = c.subject;
    ReplaceAll(c.find, c.replacement, subject);
    EXPECT_EQ(subject, c.expected) << std::string(c.subject.begin(), c.subject.end());
  }
  std::string narrow = "a\nb\n";
  ReplaceAll("\n", "\r\n", narrow);
  EXPECT_EQ(narrow, "a\r\nb\r\n");
}

TEST(StringUtilTest, SplitStringDropsEmptyPiecesAndRunsOfDelimiters) {
  const struct {
    std::wstring text, delimiters;
    std::vector<std::wstring> pieces;
  } cases[] = {
      {L"QivMoltrixSetup.exe", L".", {L"QivMoltrixSetup", L"exe"}},
      {L"..a...b..", L".", {L"a", L"b"}},
      {L"English,,en,", L",", {L"English", L"en"}},
      {L"a=b;c", L"=;", {L"a", L"b", L"c"}},
      {L"", L",", {}},
      {L",,,", L",", {}},
      {L"abc", L"", {L"abc"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitString(c.text, c.delimiters), c.pieces)
        << std::string(c.text.begin(), c.text.end());
  }
  EXPECT_EQ(SplitString(std::string("k==v"), std::string("=")),
            (std::vector<std::string>{"k", "v"}));
}

TEST(StringUtilTest, TrimStringRemovesSpacesAndControlUnitsBelow30) {
  const struct {
    std::wstring text, expected;
  } cases[] = {
      {L"  value \t\r\n", L"value"},
      {Units({0x01, 0x1D, 'x', ' ', 'y', 0x09}), L"x y"},
      {Units({0x1E, 'x', 0x1F}), Units({0x1E, 'x', 0x1F})},
      {Units({0xFEFF, 'k', ' '}), Units({0xFEFF, 'k'})},
      {L" \r\n\t ", L""},
      {L"", L""},
      {Units({0x00A0, 'x'}), Units({0x00A0, 'x'})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrimString(c.text), c.expected);
  }
}

}  // namespace
