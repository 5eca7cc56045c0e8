#include "ui/core/global_resources.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/core/zip_builder.h"
#include "ui/core/resource_package.h"

namespace ui {
namespace {

// Stands in for the GDI+ image decoder: an image's width is the number of bytes it was
// decoded from; files on the disk decode when their name says "disk".
class StandInDecoder : public IImageDecoder {
 public:
  struct Calls {
    int memory = 0;
    std::vector<std::wstring> files;
  };
  explicit StandInDecoder(std::shared_ptr<Calls> calls) : calls_(std::move(calls)) {}

  std::unique_ptr<ImageInfo> DecodeMemory(const std::vector<uint8_t>& bytes) override {
    ++calls_->memory;
    if (bytes.empty()) return nullptr;
    auto image = std::make_unique<ImageInfo>();
    image->width = static_cast<int>(bytes.size());
    return image;
  }
  std::unique_ptr<ImageInfo> DecodeFile(const std::wstring& path) override {
    calls_->files.push_back(path);
    if (path.find(L"disk") == std::wstring::npos) return nullptr;
    auto image = std::make_unique<ImageInfo>();
    image->width = -1;
    return image;
  }

 private:
  std::shared_ptr<Calls> calls_;
};

class GlobalResourcesImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls_ = std::make_shared<StandInDecoder::Calls>();
    GlobalResources::SetImageDecoder(std::make_unique<StandInDecoder>(calls_));
  }
  void TearDown() override {
    GlobalResources::SetImageDecoder(nullptr);
    CloseResourcePackage();
  }
  void OpenPackage() {
    zip_ = testing::BuildZip(
        {testing::Folder("resources/themes/default/public/checkbox/"),
         testing::Stored("resources/themes/default/public/checkbox/check_no.png", "PNGDATA"),
         testing::Deflated("resources/themes/default/form/logo.png", "LOGO")});
    ASSERT_TRUE(OpenResourcePackageFromMemory(zip_.data(), zip_.size(), ""));
  }

  std::shared_ptr<StandInDecoder::Calls> calls_;
  std::string zip_;
};

TEST_F(GlobalResourcesImageTest, EverySpellingOfAPackageEntrySharesOneImage) {
  OpenPackage();
  std::shared_ptr<ImageInfo> stepped = GlobalResources::AcquireImage(
      L"resources\\themes\\default\\form\\..\\public/CheckBox/check_no.png");
  ASSERT_TRUE(stepped);
  EXPECT_EQ(stepped->width, 7);
  EXPECT_EQ(stepped->path, L"resources/themes/default/public/CheckBox/check_no.png");
  std::shared_ptr<ImageInfo> plain =
      GlobalResources::AcquireImage(L"resources/themes/default/public/CheckBox/check_no.png");
  EXPECT_EQ(plain, stepped);
  EXPECT_EQ(GlobalResources::FindCachedImage(
                L"resources\\themes\\default\\.\\public\\CheckBox\\check_no.png"),
            stepped);
  EXPECT_EQ(calls_->memory, 1);
  EXPECT_TRUE(calls_->files.empty());
}

TEST_F(GlobalResourcesImageTest, AfterTheLastHolderLetsGoTheImageDecodesAgain) {
  OpenPackage();
  const std::wstring path = L"resources\\themes\\default\\form\\logo.png";
  std::shared_ptr<ImageInfo> first = GlobalResources::AcquireImage(path);
  ASSERT_TRUE(first);
  first.reset();
  EXPECT_FALSE(GlobalResources::FindCachedImage(path));
  std::shared_ptr<ImageInfo> second = GlobalResources::AcquireImage(path);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->width, 4);
  EXPECT_EQ(calls_->memory, 2);
}

TEST_F(GlobalResourcesImageTest, AnEntryMissingFromThePackageIsReadFromTheDisk) {
  OpenPackage();
  std::shared_ptr<ImageInfo> image =
      GlobalResources::AcquireImage(L"resources/themes/default/form//disk.png");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, -1);
  EXPECT_EQ(image->path, L"resources/themes/default/form/disk.png");  // keyed in archive form
  ASSERT_EQ(calls_->files.size(), 1u);
  EXPECT_EQ(calls_->files[0], L"resources\\themes\\default\\form\\disk.png");
  EXPECT_FALSE(GlobalResources::AcquireImage(L"resources/themes/default/form/gone.png"));
  EXPECT_EQ(calls_->files.size(), 2u);
}

TEST_F(GlobalResourcesImageTest, WithoutAPackageImagesAreKeyedInDiskForm) {
  std::shared_ptr<ImageInfo> a = GlobalResources::AcquireImage(L"themes/default//disk.png");
  std::shared_ptr<ImageInfo> b = GlobalResources::AcquireImage(L"themes\\default\\disk.png");
  ASSERT_TRUE(a);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->path, L"themes\\default\\disk.png");
  EXPECT_EQ(calls_->memory, 0);
  EXPECT_EQ(calls_->files.size(), 1u);
  EXPECT_EQ(GlobalResources::FindCachedImage(L"themes/default/disk.png"), a);
}

TEST_F(GlobalResourcesImageTest, NoDecoderNoImage) {
  GlobalResources::SetImageDecoder(nullptr);
  OpenPackage();
  EXPECT_FALSE(GlobalResources::AcquireImage(L"resources/themes/default/form/logo.png"));
}

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
