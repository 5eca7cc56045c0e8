#include "ui/core/global_resources.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "installer/utils/string_util.h"
#include "ui/core/resource_package.h"

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

TEST(GlobalResourcesWinTest, AnEmptyIdBecomesTheNumberOfFontsSoFar) {
  GlobalResources::StopFramework();  // starts from no fonts
  HFONT first = GlobalResources::RegisterFont(L"", L"arial", 12, false, false, false, false);
  HFONT second = GlobalResources::RegisterFont(L"", L"arial", 14, false, false, false, false);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GlobalResources::FontHandle(L"0"), first);
  EXPECT_EQ(GlobalResources::FontHandle(L"1"), second);
  GlobalResources::StopFramework();
  EXPECT_EQ(GlobalResources::FindFont(L"0"), nullptr);
  EXPECT_EQ(GlobalResources::FindFont(L""), nullptr);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override { GlobalResources::StopFramework(); }
  void TearDown() override {
    GlobalResources::StopFramework();
    GlobalResources::TextIdTable().Clear();
  }

  // What the shipped theme and strings register.
  void ExpectShippedResources() {
    EXPECT_EQ(GlobalResources::ResourceFolder().substr(
                  GlobalResources::ResourceFolder().size() - 15),
              L"themes\\default\\");
    const FontRecord* font = GlobalResources::FindFont(L"system_bold_14");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->face_name, kYaHei);
    EXPECT_EQ(Describe(font->handle.get()).lfHeight, -GlobalResources::Dpi().ScaleValue(14));
    EXPECT_EQ(GlobalResources::DefaultFontId(), L"system_12");
    EXPECT_EQ(GlobalResources::ColorByName(L"bk_wnd_darkcolor"), 0xFF140B0Cu);
    EXPECT_EQ(GlobalResources::StyleClassAttributes(L"splitline_hor_level1"),
              L"bkcolor=\"splitline_level1\" height=\"1\"");
    EXPECT_EQ(GlobalResources::TextForId(L"STRID_HOMEPAGE_INSTALL"), L"Install Now");
  }
};

TEST_F(FrameworkTest, StartsFromThePackageAndStopsClosingIt) {
  const std::string archive = ReadFileBytes(Utf8ToUtf16(QM_TEST_PACKAGE_FILE));
  ASSERT_FALSE(archive.empty());
  ASSERT_TRUE(OpenResourcePackageFromMemory(archive.data(), archive.size(), ""));
  ASSERT_TRUE(GlobalResources::StartFramework(L"resources\\", nullptr, false,
                                              L"themes\\default", L"lang\\English"));
  EXPECT_EQ(GlobalResources::ResourceFolder(), L"resources\\themes\\default\\");
  ExpectShippedResources();
  // GDI+ runs: it makes bitmaps.
  Gdiplus::GpBitmap* bitmap = nullptr;
  ASSERT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr,
                                                           &bitmap),
            Gdiplus::Ok);
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  GlobalResources::StopFramework();
  EXPECT_FALSE(IsUsingPackage());
  EXPECT_EQ(GlobalResources::FindFont(L"system_bold_14"), nullptr);
}

TEST_F(FrameworkTest, StartsFromTheDiskWithoutAPackage) {
  ASSERT_FALSE(IsUsingPackage());
  // The root without its trailing separator is taken as a folder all the same.
  ASSERT_TRUE(GlobalResources::StartFramework(Utf8ToUtf16(QM_TEST_RESOURCES_DIR), nullptr,
                                              true, L"themes\\default", L"lang\\English"));
  DpiScaler& dpi = GlobalResources::Dpi();
  EXPECT_TRUE(dpi.IsDpiAdaptive());
  EXPECT_EQ(dpi.ScalePercent(), MulDivRounded(DpiScaler::PrimaryMonitorDpi(), 100, 96));
  ExpectShippedResources();
  dpi.SetScaleFromDpi(96);
}

TEST_F(FrameworkTest, MissingResourcesLeaveTheRegistriesEmpty) {
  const std::filesystem::path empty =
      std::filesystem::temp_directory_path() / "global_resources_win_test_empty";
  std::filesystem::create_directories(empty);
  GlobalResources::TextIdTable().LoadFromMemory("STRID_OLD=old\n", 14);
  ASSERT_TRUE(GlobalResources::StartFramework(empty.wstring() + L"\\", nullptr, false,
                                              L"themes\\default", L"lang\\English"));
  EXPECT_EQ(GlobalResources::FindFont(L"system_12"), nullptr);
  EXPECT_EQ(GlobalResources::FindFont(L""), nullptr);
  EXPECT_EQ(GlobalResources::TextForId(L"STRID_OLD"), L"");  // a failed file load empties it
  std::filesystem::remove_all(empty);
}

}  // namespace
}  // namespace ui
