#include "installer/window/install_system.h"

#include "installer/utils/path_util.h"
#include "installer/utils/process_util.h"

std::wstring InstallSystem::LanguageCodeFromExeName() {
  return GetLanguageCodeFromExeName().code;
}

bool InstallSystem::IsProcessRunning(const std::wstring& image_name) {
  return ::IsProcessRunning(image_name);
}

bool InstallSystem::IsValidInstallPath(const std::wstring& path) {
  return ::IsValidInstallPath(path);
}

double InstallSystem::FreeDiskSpaceMB(const std::wstring& path) {
  return GetFreeDiskSpaceMB(path);
}

bool InstallSystem::IsConnectedToInternet() {
  return ::IsConnectedToInternet();
}

void InstallSystem::OpenUrl(const std::wstring& target) {
  ::OpenUrl(target);
}

void InstallSystem::RunAsDesktopUser(const std::wstring& program, const std::wstring& parameters) {
  ::RunAsDesktopUser(program, parameters);
}
