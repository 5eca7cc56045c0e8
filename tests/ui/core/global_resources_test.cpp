#include "ui/core/global_resources.h"

#include <gtest/gtest.h>

#include <string>

namespace ui {
namespace {

TEST(GlobalResourcesTest, ResourceFolderEndsWithASeparator) {
  const std::wstring saved = GlobalResources::ResourceFolder();
  struct Case {
    const wchar_t* given;
    const wchar_t* stored;
  };
  const Case cases[] = {
      {L"resources\\themes\\default", L"resources\\themes\\default\\"},
      {L"resources\\themes\\default\\", L"resources\\themes\\default\\"},
      {L"resources/themes/default/", L"resources/themes/default/"},
      {L"", L""},
  };
  for (const Case& c : cases) {
    GlobalResources::SetResourceFolder(c.given);
    EXPECT_EQ(GlobalResources::ResourceFolder(), c.stored);
  }
  GlobalResources::SetResourceFolder(saved);
}

TEST(GlobalResourcesTest, ColourValuesAreHexadecimalArgbAfterTheNumberSign) {
  struct Case {
    const wchar_t* value;
    uint32_t argb;
  };
  const Case cases[] = {
      {L"#80000000", 0x80000000u},   // half-transparent black
      {L"#ffee443f", 0xFFEE443Fu},
      {L"#FF31333D", 0xFF31333Du},
      {L"#ff00zz11", 0xFF00u},       // reading stops at the first non-digit
      {L"ffee443f", 0x0FEE443Fu},    // the first character is always dropped
      {L"#", 0u},
      {L"#1ffffffff", 0xFFFFFFFFu},  // too many digits saturate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    GlobalResources::RegisterColor(L"test_colour", c.value);
    EXPECT_EQ(GlobalResources::ColorByName(L"test_colour"), c.argb);
  }
}

TEST(GlobalResourcesTest, AnEmptyColourValueIsIgnoredAndALaterValueReplaces) {
  GlobalResources::RegisterColor(L"test_replaced", L"#ff000001");
  GlobalResources::RegisterColor(L"test_replaced", L"");
  EXPECT_EQ(GlobalResources::ColorByName(L"test_replaced"), 0xFF000001u);
  GlobalResources::RegisterColor(L"test_replaced", L"#ff000002");
  EXPECT_EQ(GlobalResources::ColorByName(L"test_replaced"), 0xFF000002u);
}

TEST(GlobalResourcesTest, UnknownColourIsTransparentAndStaysKnownAsSuch) {
  EXPECT_EQ(GlobalResources::ColorByName(L"test_never_declared"), 0u);
  EXPECT_EQ(GlobalResources::ColorByName(L"test_never_declared"), 0u);
  GlobalResources::RegisterColor(L"test_never_declared", L"#ff123456");
  EXPECT_EQ(GlobalResources::ColorByName(L"test_never_declared"), 0xFF123456u);
}

TEST(GlobalResourcesTest, DefaultTextColourNamesAndKeptColours) {
  EXPECT_EQ(GlobalResources::DefaultTextColorName(), L"textdefaultcolor");
  EXPECT_EQ(GlobalResources::DefaultDisabledTextColorName(), L"textdefaultdisablecolor");
  EXPECT_EQ(GlobalResources::LinkColor(), 0xFF0000FFu);
  EXPECT_EQ(GlobalResources::LinkHoverColor(), 0xFFD3215Fu);
  EXPECT_EQ(GlobalResources::SelectedColor(), 0xFFBAE4FFu);
  GlobalResources::SetDefaultTextColorName(L"white");
  GlobalResources::SetDefaultDisabledTextColorName(L"gray");
  EXPECT_EQ(GlobalResources::DefaultTextColorName(), L"white");
  EXPECT_EQ(GlobalResources::DefaultDisabledTextColorName(), L"gray");
  GlobalResources::SetDefaultTextColorName(L"textdefaultcolor");
  GlobalResources::SetDefaultDisabledTextColorName(L"textdefaultdisablecolor");
}

TEST(GlobalResourcesTest, StyleClassesAreInsertedOrReplaced) {
  EXPECT_EQ(GlobalResources::StyleClassAttributes(L"test_class"), L"");
  GlobalResources::RegisterStyleClass(L"test_class", L"width=\"10\"");
  EXPECT_EQ(GlobalResources::StyleClassAttributes(L"test_class"), L"width=\"10\"");
  GlobalResources::RegisterStyleClass(L"test_class", L"height=\"6\"");
  EXPECT_EQ(GlobalResources::StyleClassAttributes(L"test_class"), L"height=\"6\"");
  EXPECT_EQ(GlobalResources::StyleClassAttributes(L"Test_class"), L"");
}

TEST(GlobalResourcesTest, CustomControlsComeFromTheCallback) {
  EXPECT_EQ(GlobalResources::CreateCustomControl(L"Anything"), nullptr);
  std::wstring asked;
  GlobalResources::SetCreateControlCallback([&asked](const std::wstring& tag) -> Control* {
    asked = tag;
    return nullptr;
  });
  EXPECT_EQ(GlobalResources::CreateCustomControl(L"FancyBox"), nullptr);
  EXPECT_EQ(asked, L"FancyBox");
  GlobalResources::SetCreateControlCallback(nullptr);
}

TEST(GlobalResourcesTest, TextsByIdWithLineEnds) {
  IniFile& table = GlobalResources::TextIdTable();
  const std::string strings =
      "\xEF\xBB\xBF;strings\r\n"
      "STRID_TEST_TITLE=Qiv Moltrix Setup\r\n"
      "STRID_TEST_TWO_LINES=first\\nsecond\\r\\nthird\r\n";
  ASSERT_TRUE(table.LoadFromMemory(strings.data(), strings.size()));
  EXPECT_EQ(GlobalResources::TextForId(L"STRID_TEST_TITLE"), L"Qiv Moltrix Setup");
  EXPECT_EQ(GlobalResources::TextForId(L"STRID_TEST_TWO_LINES"), L"first\nsecond\r\nthird");
  EXPECT_EQ(GlobalResources::TextForId(L"STRID_TEST_MISSING"), L"");
  EXPECT_EQ(GlobalResources::TextForId(L""), L"");
  table.Clear();
  EXPECT_EQ(GlobalResources::TextForId(L"STRID_TEST_TITLE"), L"");
}

TEST(GlobalResourcesTest, OneScalerForTheProcess) {
  EXPECT_EQ(&GlobalResources::Dpi(), &GlobalResources::Dpi());
}

}  // namespace
}  // namespace ui
