#include "ui/core/markup_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "installer/utils/string_util.h"
#include "tests/ui/core/zip_builder.h"
#include "ui/core/global_resources.h"
#include "ui/core/resource_package.h"

namespace ui {
namespace {

// A theme folder on the disk and a package holding other content under the same paths,
// so each test can tell where a document came from.
class MarkupSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_folder_ = GlobalResources::ResourceFolder();
    disk_ = std::filesystem::temp_directory_path() / "markup_source_test";
    std::filesystem::create_directories(disk_ / "form");
    std::ofstream(disk_ / "form" / "form.xml", std::ios::binary) << "<FromDisk/>";
    std::ofstream(disk_ / "only_on_disk.xml", std::ios::binary) << "<OnlyOnDisk/>";
    GlobalResources::SetResourceFolder(disk_.wstring() +
                                       std::wstring(1, std::filesystem::path::preferred_separator));
  }
  void TearDown() override {
    CloseResourcePackage();
    GlobalResources::SetResourceFolder(saved_folder_);
    std::error_code ignored;
    std::filesystem::remove_all(disk_, ignored);
  }

  // The package's paths are the disk folder's, in archive form.
  void OpenPackage(const std::vector<testing::ZipEntrySpec>& entries) {
    zip_ = testing::BuildZip(entries);
    ASSERT_TRUE(OpenResourcePackageFromMemory(zip_.data(), zip_.size(), ""));
  }
  std::string InPackage(const std::string& name) const {
    return Utf16ToUtf8(NormalizePackagePath(GlobalResources::ResourceFolder())) + name;
  }

  std::filesystem::path disk_;
  std::wstring saved_folder_;
  std::string zip_;
};

TEST_F(MarkupSourceTest, TextIsParsedAsItIs) {
  MarkupDocument document;
  ASSERT_TRUE(LoadMarkupSource(document, L"<Inline a=\"1\"/>"));
  EXPECT_STREQ(document.RootNode().Name(), L"Inline");
}

TEST_F(MarkupSourceTest, WithoutAPackageTheDiskIsRead) {
  MarkupDocument document;
  ASSERT_TRUE(LoadMarkupSource(document, L"form/form.xml"));
  EXPECT_STREQ(document.RootNode().Name(), L"FromDisk");
  EXPECT_FALSE(LoadMarkupSource(document, L"form/missing.xml"));
  EXPECT_EQ(document.ErrorMessage(), L"Error opening file");
}

TEST_F(MarkupSourceTest, ThePackageComesFirstWithOrWithoutByteOrderMark) {
  OpenPackage({testing::Stored(InPackage("form/form.xml"), "\xEF\xBB\xBF<FromPackage/>"),
               testing::Deflated(InPackage("form/plain.xml"), "<Plain><a/></Plain>")});
  MarkupDocument document;
  ASSERT_TRUE(LoadMarkupSource(document, L"form\\form.xml"));
  EXPECT_STREQ(document.RootNode().Name(), L"FromPackage");
  ASSERT_TRUE(LoadMarkupSource(document, L"form/plain.xml"));
  EXPECT_STREQ(document.RootNode().FirstChild().Name(), L"a");
}

TEST_F(MarkupSourceTest, AnEntryEndsAtItsFirstZeroByte) {
  OpenPackage({testing::Stored(InPackage("form/form.xml"), std::string("<Cut/>\0<<garbage", 16))});
  MarkupDocument document;
  ASSERT_TRUE(LoadMarkupSource(document, L"form/form.xml"));
  EXPECT_STREQ(document.RootNode().Name(), L"Cut");
}

TEST_F(MarkupSourceTest, AMissingEntryFallsBackToTheDiskButABrokenOneFails) {
  OpenPackage({testing::Stored(InPackage("form/form.xml"), "<Broken a='1'/>")});
  MarkupDocument document;
  ASSERT_TRUE(LoadMarkupSource(document, L"only_on_disk.xml"));
  EXPECT_STREQ(document.RootNode().Name(), L"OnlyOnDisk");
  EXPECT_FALSE(LoadMarkupSource(document, L"form/form.xml"));
  EXPECT_EQ(document.ErrorMessage(), L"Expected attribute value");
}

}  // namespace
}  // namespace ui
