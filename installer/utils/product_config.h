// The product's configuration: product.ini from the resource package (or, with no
// package open, from the folder "resources" beside the working directory), and the
// folders derived from it.
//
// Threads: owned by the setup window and changed on the UI thread only. The silent-
// setup worker reads install path, process name, password and data folder after the UI
// thread stopped changing them. Not locked.
#pragma once

#include <string>

#include "installer/utils/ini_file.h"

class ProductConfig {
 public:
  // Reads product.ini and fills the fields; a missing file leaves them empty.
  void Load();

  // Program Files + install_dir1 [+ "\" + install_dir2], without trailing backslash.
  std::wstring DefaultInstallDir() const;
  // The file `name` in the "cache" folder of the product's data folder, which is
  // created when missing.
  std::wstring CacheFilePath(const std::wstring& name) const;
  // Stores the chosen installation folder, normalised, with a trailing backslash.
  void SetInstallPath(const std::wstring& path);
  // The installed product's executable; the installation folder must be set.
  std::wstring ProductExePath() const;

  const std::wstring& InstallDir1() const { return install_dir1_; }
  const std::wstring& InstallDir2() const { return install_dir2_; }
  const std::wstring& AppDataDir() const { return appdata_dir_; }
  const std::wstring& ProductName() const { return product_name_; }
  const std::wstring& ProcessName() const { return process_name_; }
  const std::wstring& InstallPath() const { return install_path_; }
  const std::wstring& DownloadUrl() const { return download_url_; }
  const std::wstring& PkgPsw() const { return pkg_psw_; }

  // Any key of product.ini (the telemetry keys, the product id).
  std::wstring Get(const std::wstring& key) const { return ini_.Get(key); }
  std::string GetUtf8(const std::wstring& key) const { return ini_.GetUtf8(key); }

 private:
  IniFile ini_;
  std::wstring install_dir1_;
  std::wstring install_dir2_;
  std::wstring appdata_dir_;
  std::wstring product_name_;
  std::wstring process_name_;
  std::wstring install_path_;
  std::wstring download_url_;
  std::wstring pkg_psw_;
};
