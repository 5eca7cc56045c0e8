#include "ui/core/global_resources.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace ui {
namespace {

const std::wstring kYaHei = {0x5FAE, 0x8F6F, 0x96C5, 0x9ED1};

LOGFONTW Describe(HFONT font) {
  LOGFONTW description = {};
  EXPECT_EQ(::GetObjectW(font, sizeof(description), &description),
            static_cast<int>(sizeof(description)));
  return description;
}

LONG StockWeight() {
  LOGFONTW stock = {};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
  return stock.lfWeight;
}

TEST(GlobalResourcesWinTest, SystemFaceWithScaledHeightAndAddedWeight) {
  HFONT font = GlobalResources::RegisterFont(L"test_system_bold_14", L"system", 14, true, false,
                                             false, false);
  ASSERT_NE(font, nullptr);
  const LOGFONTW description = Describe(font);
  EXPECT_EQ(std::wstring(description.lfFaceName), kYaHei);
  EXPECT_EQ(description.lfHeight, -14);
  EXPECT_EQ(description.lfWeight, StockWeight() + FW_BOLD);
  EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
  EXPECT_FALSE(description.lfUnderline);
  EXPECT_FALSE(description.lfItalic);

  const FontRecord* record = GlobalResources::FindFont(L"test_system_bold_14");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->handle.get(), font);
  EXPECT_EQ(record->face_name, kYaHei);
  EXPECT_EQ(record->size, 14);
  EXPECT_TRUE(record->bold);
  EXPECT_EQ(GlobalResources::FontHandle(L"test_system_bold_14"), font);
}

TEST(GlobalResourcesWinTest, HeightFollowsTheDpiScale) {
  DpiScaler& dpi = GlobalResources::Dpi();
  ASSERT_TRUE(dpi.EnableDpiAdaptation());
  dpi.SetScaleFromDpi(192);
  HFONT font = GlobalResources::RegisterFont(L"test_scaled_14", L"arial", 14, false, true, true,
                                             false);
  dpi.SetScaleFromDpi(96);
  ASSERT_NE(font, nullptr);
  const LOGFONTW description = Describe(font);
  EXPECT_EQ(description.lfHeight, -28);
  EXPECT_EQ(std::wstring(description.lfFaceName), L"arial");
  EXPECT_EQ(description.lfWeight, StockWeight());
  EXPECT_TRUE(description.lfUnderline);
  EXPECT_TRUE(description.lfItalic);
  EXPECT_EQ(GlobalResources::FindFont(L"test_scaled_14")->size, 14);  // as declared
}

TEST(GlobalResourcesWinTest, TheFirstDeclarationOfAnIdStays) {
  HFONT first = GlobalResources::RegisterFont(L"test_twice", L"arial", 12, false, false, false,
                                              false);
  HFONT second = GlobalResources::RegisterFont(L"test_twice", L"system", 20, true, false, false,
                                               false);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(second, first);
  EXPECT_EQ(GlobalResources::FontHandle(L"test_twice"), first);
  EXPECT_EQ(GlobalResources::FindFont(L"test_twice")->size, 12);
  EXPECT_EQ(Describe(first).lfHeight, -12);
}

TEST(GlobalResourcesWinTest, TheLastDefaultWinsAndStandsInForUnknownIds) {
  HFONT one = GlobalResources::RegisterFont(L"test_default_1", L"arial", 12, false, false, false,
                                            true);
  HFONT two = GlobalResources::RegisterFont(L"test_default_2", L"arial", 16, false, false, false,
                                            true);
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(GlobalResources::DefaultFontId(), L"test_default_2");
  EXPECT_EQ(GlobalResources::FontHandle(L""), two);
  EXPECT_EQ(GlobalResources::FontHandle(L"test_no_such_font"), two);
  EXPECT_EQ(GlobalResources::FontHandle(L"test_default_1"), one);
}

}  // namespace
}  // namespace ui
