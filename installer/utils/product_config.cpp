#include "installer/utils/product_config.h"

#include <algorithm>

#include "installer/utils/path_util.h"
#include "installer/utils/process_util.h"
#include "ui/core/resource_package.h"

namespace {

const wchar_t kProductIniPath[] = L"resources\\product.ini";

std::wstring WithBackslashes(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::wstring WithTrailingBackslash(const std::wstring& folder) {
  if (!folder.empty() && folder.back() == L'\\') return folder;
  return folder + L'\\';
}

}  // namespace

void ProductConfig::Load() {
  if (ui::IsUsingPackage()) {
    if (const auto bytes = ui::ReadPackageFile(kProductIniPath)) {
      ini_.LoadFromMemory(bytes->data(), bytes->size());
    }
  } else {
    ini_.LoadFromFile(kProductIniPath);
  }
  install_dir1_ = ini_.Get(L"INSTALL_DIR1");
  install_dir2_ = ini_.Get(L"INSTALL_DIR2");
  appdata_dir_ = WithBackslashes(GetRoamingAppDataDir() + L"\\" + ini_.Get(L"APPDATA_DIR"));
  pkg_psw_ = ini_.Get(L"PKG_PSW");
  product_name_ = ini_.Get(L"PRODUCT_NAME");
  process_name_ = ini_.Get(L"PROCESS_NAME");
  download_url_ = ini_.Get(IsWow64() ? L"URLID_DOWN_X64" : L"URLID_DOWN");
}

std::wstring ProductConfig::DefaultInstallDir() const {
  std::wstring folder = GetProgramFilesDir() + install_dir1_;
  if (!install_dir2_.empty()) folder += L"\\" + install_dir2_;
  return WithBackslashes(folder);
}

std::wstring ProductConfig::CacheFilePath(const std::wstring& name) const {
  const std::wstring cache = WithTrailingBackslash(appdata_dir_) + L"cache";
  CreateFolder(cache);  // an existing folder is fine; a failure shows when the file is written
  return WithBackslashes(cache + L"\\" + name);
}

void ProductConfig::SetInstallPath(const std::wstring& path) { install_path_ = NormalizeDirPath(path); }

std::wstring ProductConfig::ProductExePath() const {
  return WithBackslashes(WithTrailingBackslash(install_path_) + process_name_);
}
