#include "ui/core/resource_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "installer/utils/ini_file.h"
#include "tests/ui/core/zip_builder.h"

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>  // scoped_handle.h needs CoTaskMemFree, which lean windows.h leaves out

#include "base/win/scoped_handle.h"
#endif

namespace ui {
namespace {

using testing::BuildZip;
using testing::Deflated;
using testing::Folder;
using testing::Stored;

std::string ToText(const std::optional<std::vector<uint8_t>>& bytes) {
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<nothing>");
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ResourcePackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ZipEntrySpec damaged = Stored("resources/damaged.txt", "bytes");
    damaged.override_crc = true;
    damaged.crc = 1;
    zip_ = BuildZip({Folder("resources/"), Deflated("resources/product.ini", "INSTALL_DIR1=QivMoltrix"),
                     Folder("resources/themes/default/public/checkbox/"),
                     Stored("resources/themes/default/public/checkbox/check_no.png", "PNG"),
                     Stored("resources/empty.txt", ""), damaged});
  }
  void TearDown() override { CloseResourcePackage(); }

  std::string zip_;
};

TEST_F(ResourcePackageTest, NothingIsReadWithoutAPackage) {
  CloseResourcePackage();
  EXPECT_FALSE(IsUsingPackage());
  EXPECT_FALSE(ReadPackageFile(L"resources\\product.ini"));
}

TEST_F(ResourcePackageTest, ReadsAnEntryByAnyFormOfItsPath) {
  ASSERT_TRUE(OpenResourcePackageFromMemory(zip_.data(), zip_.size(), ""));
  EXPECT_TRUE(IsUsingPackage());
  EXPECT_EQ(ToText(ReadPackageFile(L"resources\\product.ini")), "INSTALL_DIR1=QivMoltrix");
  EXPECT_EQ(ToText(ReadPackageFile(L"/resources//product.ini")), "INSTALL_DIR1=QivMoltrix");
  for (const wchar_t* path :
       {L"resources/themes/default/public/checkbox/check_no.png",
        L"resources\\themes\\default\\form\\../public/CheckBox/check_no.png",
        L"RESOURCES\\\\themes/./default//Public\\checkbox\\CHECK_NO.PNG"}) {
    EXPECT_EQ(ToText(ReadPackageFile(path)), "PNG") << path;
  }
}

TEST_F(ResourcePackageTest, MissingEmptyDamagedOrOutsideReadsAsNothing) {
  ASSERT_TRUE(OpenResourcePackageFromMemory(zip_.data(), zip_.size(), ""));
  for (const wchar_t* path : {L"resources/missing.ini", L"resources/empty.txt", L"resources/damaged.txt",
                              L"resources/", L"", L"../resources/product.ini",
                              L"resources/../../resources/product.ini"}) {
    EXPECT_FALSE(ReadPackageFile(path)) << path;
  }
  EXPECT_TRUE(IsUsingPackage());
}

TEST_F(ResourcePackageTest, OpeningAgainReplacesThePackage) {
  ASSERT_TRUE(OpenResourcePackageFromMemory(zip_.data(), zip_.size(), ""));
  const std::string other = BuildZip({Stored("resources/other.ini", "K=2")});
  ASSERT_TRUE(OpenResourcePackageFromMemory(other.data(), other.size(), ""));
  EXPECT_FALSE(ReadPackageFile(L"resources/product.ini"));
  EXPECT_EQ(ToText(ReadPackageFile(L"resources/other.ini")), "K=2");

  const std::string broken = "PK\x05\x06 this is no archive";
  EXPECT_FALSE(OpenResourcePackageFromMemory(broken.data(), broken.size(), ""));
  EXPECT_FALSE(IsUsingPackage());
  EXPECT_FALSE(ReadPackageFile(L"resources/other.ini"));
}

TEST_F(ResourcePackageTest, CloseEndsThePackage) {
  ASSERT_TRUE(OpenResourcePackageFromMemory(zip_.data(), zip_.size(), ""));
  CloseResourcePackage();
  EXPECT_FALSE(IsUsingPackage());
  EXPECT_FALSE(ReadPackageFile(L"resources/product.ini"));
}

// Every file of the resources folder reads back through the open package, byte for byte.
void ExpectWholeTreeInPackage() {
  const std::filesystem::path root(QM_TEST_RESOURCES_DIR);
  int files = 0;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    const std::filesystem::path relative = std::filesystem::relative(item.path(), root);
    const std::wstring name = relative.wstring();
    if (!item.is_regular_file() || name == L"CMakeLists.txt" || name.rfind(L".", 0) == 0) continue;
    SCOPED_TRACE(relative.string());
    const std::string expected = ReadFileBytes(item.path());
    EXPECT_EQ(ToText(ReadPackageFile(L"resources\\" + name)), expected);
    ++files;
  }
  EXPECT_GE(files, 3);
  IniFile product;
  const auto bytes = ReadPackageFile(L"resources\\product.ini");
  ASSERT_TRUE(bytes);
  product.LoadFromMemory(bytes->data(), bytes->size());
  EXPECT_EQ(product.Get(L"INSTALL_DIR1"), L"QivMoltrix");
  EXPECT_EQ(product.Get(L"PRODUCT_NAME"), L"Qiv Moltrix");
}

TEST_F(ResourcePackageTest, ShippedArchiveHoldsTheResourcesFolder) {
  const std::string archive = ReadFileBytes(QM_TEST_PACKAGE_FILE);
  ASSERT_FALSE(archive.empty());
  ASSERT_TRUE(OpenResourcePackageFromMemory(archive.data(), archive.size(), ""));
  ExpectWholeTreeInPackage();
}

#ifdef _WIN32
TEST_F(ResourcePackageTest, OpensTheResourceOfItsOwnExecutable) {
  ASSERT_TRUE(OpenResourcePackage(133, L"ZIP", ""));
  ExpectWholeTreeInPackage();
  EXPECT_FALSE(OpenResourcePackage(134, L"ZIP", ""));
  EXPECT_FALSE(IsUsingPackage());
  EXPECT_FALSE(OpenResourcePackage(133, L"RCDATA", ""));
}

TEST_F(ResourcePackageTest, OpensThePackageOfTheBuiltInstaller) {
  wchar_t own_path[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, own_path, MAX_PATH), 0u);
  const std::filesystem::path installer =
      std::filesystem::path(own_path).parent_path() / L"QivMoltrixSetup.exe";
  nbase::win::ScopedModule module(
      ::LoadLibraryExW(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(module) << "cannot load " << installer.string();
  ASSERT_TRUE(OpenResourcePackageFromModule(module.get(), 133, L"ZIP", ""));
  ExpectWholeTreeInPackage();
  CloseResourcePackage();  // before the module's memory goes
}
#endif

}  // namespace
}  // namespace ui
