// The system queries and starts that the install sequence makes on the UI thread,
// behind one interface so that a test can stand in for a query the machine cannot
// answer on demand (too little disk space) or a start it must not make (a browser).
// `InstallSystem` is the real one: each call goes to the installer's utilities.
#pragma once

#include <string>

class IInstallSystem {
 public:
  virtual ~IInstallSystem() = default;

  virtual std::wstring LanguageCodeFromExeName() = 0;
  virtual bool IsProcessRunning(const std::wstring& image_name) = 0;
  virtual bool IsValidInstallPath(const std::wstring& path) = 0;
  virtual double FreeDiskSpaceMB(const std::wstring& path) = 0;
  virtual bool IsConnectedToInternet() = 0;
  virtual void OpenUrl(const std::wstring& target) = 0;
  virtual void RunAsDesktopUser(const std::wstring& program, const std::wstring& parameters) = 0;
};

class InstallSystem : public IInstallSystem {
 public:
  std::wstring LanguageCodeFromExeName() override;
  bool IsProcessRunning(const std::wstring& image_name) override;
  bool IsValidInstallPath(const std::wstring& path) override;
  double FreeDiskSpaceMB(const std::wstring& path) override;
  bool IsConnectedToInternet() override;
  void OpenUrl(const std::wstring& target) override;
  void RunAsDesktopUser(const std::wstring& program, const std::wstring& parameters) override;
};
