#include "installer/utils/product_config.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "installer/utils/path_util.h"
#include "installer/utils/process_util.h"
#include "tests/ui/core/zip_builder.h"
#include "ui/core/resource_package.h"

namespace {

using ui::testing::BuildZip;
using ui::testing::Deflated;

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ProductConfigTest : public ::testing::Test {
 protected:
  void TearDown() override { ui::CloseResourcePackage(); }

  // Opens a package that holds `ini` as resources/product.ini.
  void OpenPackageWith(const std::string& ini) {
    archive_ = BuildZip({Deflated("resources/product.ini", ini)});
    ASSERT_TRUE(ui::OpenResourcePackageFromMemory(archive_.data(), archive_.size(), ""));
  }

  std::string archive_;  // the open package's bytes
};

TEST_F(ProductConfigTest, LoadsTheShippedConfigurationFromThePackage) {
  archive_ = ReadFileBytes(QM_TEST_PACKAGE_FILE);
  ASSERT_TRUE(ui::OpenResourcePackageFromMemory(archive_.data(), archive_.size(), ""));
  ProductConfig config;
  config.Load();
  EXPECT_EQ(config.InstallDir1(), L"QivMoltrix");
  EXPECT_EQ(config.InstallDir2(), L"");
  EXPECT_EQ(config.ProductName(), L"Qiv Moltrix");
  EXPECT_EQ(config.ProcessName(), L"Moltrix.exe");
  EXPECT_EQ(config.PkgPsw(), L"");
  EXPECT_EQ(config.DownloadUrl(), L"https://download.example.com/qivmoltrix/QivMoltrixFullSetup.exe");
  EXPECT_EQ(config.AppDataDir(), GetRoamingAppDataDir() + L"\\Moltrix");
  EXPECT_EQ(config.DefaultInstallDir(), GetProgramFilesDir() + L"QivMoltrix");
  EXPECT_EQ(config.GetUtf8(L"GA_TID"), "G-Q7RM2XKD4B");
  EXPECT_EQ(config.GetUtf8(L"XD_URL"), "https://report.example.com/log/v1/api/report");
  EXPECT_EQ(config.Get(L"PRODUCT_ID"), L"1007");
}

TEST_F(ProductConfigTest, DownloadUrlFollowsTheMachine) {
  OpenPackageWith("URLID_DOWN=http://127.0.0.1/plain.exe \r\nURLID_DOWN_X64=http://127.0.0.1/x64.exe ");
  ProductConfig config;
  config.Load();
  EXPECT_EQ(config.DownloadUrl(), IsWow64() ? L"http://127.0.0.1/x64.exe" : L"http://127.0.0.1/plain.exe");
}

TEST_F(ProductConfigTest, FoldersTakeBackslashes) {
  OpenPackageWith("INSTALL_DIR1=Acme\r\nINSTALL_DIR2=Tools/Sub\r\nAPPDATA_DIR=Acme/Data");
  ProductConfig config;
  config.Load();
  EXPECT_EQ(config.DefaultInstallDir(), GetProgramFilesDir() + L"Acme\\Tools\\Sub");
  EXPECT_EQ(config.AppDataDir(), GetRoamingAppDataDir() + L"\\Acme\\Data");
}

TEST_F(ProductConfigTest, InstallPathIsNormalisedAndHoldsTheProduct) {
  OpenPackageWith("PROCESS_NAME=Moltrix.exe");
  ProductConfig config;
  config.Load();
  config.SetInstallPath(L"D:/Apps//Acme");
  EXPECT_EQ(config.InstallPath(), L"D:\\Apps\\Acme\\");
  EXPECT_EQ(config.ProductExePath(), L"D:\\Apps\\Acme\\Moltrix.exe");
  config.SetInstallPath(L"E:\\Other\\");
  EXPECT_EQ(config.ProductExePath(), L"E:\\Other\\Moltrix.exe");
}

TEST_F(ProductConfigTest, CacheFilePathCreatesTheCacheFolder) {
  const std::wstring data_folder = L"ProductConfigTest_" + std::to_wstring(::GetCurrentProcessId());
  OpenPackageWith("APPDATA_DIR=" + std::string(data_folder.begin(), data_folder.end()) + "/Data");
  ProductConfig config;
  config.Load();
  const std::wstring expected_folder = GetRoamingAppDataDir() + L"\\" + data_folder + L"\\Data\\cache";
  EXPECT_EQ(config.CacheFilePath(L"language"), expected_folder + L"\\language");
  EXPECT_TRUE(IsDirectory(expected_folder));
  // Asking again with the folder present gives the same path.
  EXPECT_EQ(config.CacheFilePath(L"sub/file"), expected_folder + L"\\sub\\file");
  std::error_code ignored;
  std::filesystem::remove_all(GetRoamingAppDataDir() + L"\\" + data_folder, ignored);
}

TEST_F(ProductConfigTest, PackageWithoutProductIniLeavesTheFieldsEmpty) {
  archive_ = BuildZip({Deflated("resources/lang.ini", "English = English,en")});
  ASSERT_TRUE(ui::OpenResourcePackageFromMemory(archive_.data(), archive_.size(), ""));
  ProductConfig config;
  config.Load();
  EXPECT_EQ(config.InstallDir1(), L"");
  EXPECT_EQ(config.ProductName(), L"");
  EXPECT_EQ(config.DownloadUrl(), L"");
  EXPECT_EQ(config.AppDataDir(), GetRoamingAppDataDir() + L"\\");
}

// Changes the working directory for one test and restores it.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~ScopedWorkingDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

TEST_F(ProductConfigTest, WithoutAPackageReadsTheResourcesFolder) {
  ui::CloseResourcePackage();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       (L"product_config_test_" + std::to_wstring(::GetCurrentProcessId()));
  std::filesystem::create_directories(folder / L"resources");
  std::ofstream(folder / L"resources" / L"product.ini", std::ios::binary)
      << "\xEF\xBB\xBF;Common\r\nINSTALL_DIR1=FromDisk\r\nPRODUCT_NAME=Disk Product";
  {
    ScopedWorkingDirectory in_folder(folder);
    ProductConfig config;
    config.Load();
    EXPECT_EQ(config.InstallDir1(), L"FromDisk");
    EXPECT_EQ(config.ProductName(), L"Disk Product");

    std::filesystem::remove(folder / L"resources" / L"product.ini");
    ProductConfig missing;
    missing.Load();
    EXPECT_EQ(missing.InstallDir1(), L"");
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace
