#include "installer/utils/path_util.h"

#include <windows.h>
#include <objbase.h>  // scoped_handle.h needs CoTaskMemFree
#include <shlobj.h>

#include <algorithm>
#include <cstdint>

#include "base/win/scoped_handle.h"
#include "installer/utils/cached_text.h"
#include "installer/utils/process_util.h"
#include "installer/utils/string_util.h"

namespace {

// FOLDERID_LocalAppData, spelled out so that no import library has to provide it.
constexpr GUID kFolderIdLocalAppData = {
    0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
constexpr DWORD kKnownFolderCreate = 0x8000;  // KF_FLAG_CREATE

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring ShellFolder(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    return std::wstring();
  }
  return buffer;
}

std::wstring ComputeLocalAppDataDir() {
  using GetKnownFolderPath = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
  // Looked up at run time: older systems have only the CSIDL form.
  const auto get_known_folder_path = reinterpret_cast<GetKnownFolderPath>(
      ::GetProcAddress(::GetModuleHandleW(L"shell32.dll"), "SHGetKnownFolderPath"));
  if (get_known_folder_path) {
    nbase::win::ScopedCoTaskMem<wchar_t> folder;
    if (FAILED(get_known_folder_path(kFolderIdLocalAppData, kKnownFolderCreate, nullptr,
                                     folder.put())) ||
        !folder.get()) {
      return std::wstring();
    }
    return WithBackslash(folder.get());
  }
  return WithBackslash(ShellFolder(CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE));
}

std::wstring ComputeProgramFilesDir() {
  std::wstring folder;
  if (IsWow64()) {
    // A 32-bit process sees "Program Files (x86)" as its Program Files folder; the
    // product is 64-bit there and belongs in the native one.
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::ExpandEnvironmentStringsW(L"%ProgramW6432%", buffer, MAX_PATH);
    // An undefined variable expands to itself.
    if (length != 0 && length <= MAX_PATH && buffer[0] != L'%') folder = buffer;
  }
  if (folder.empty()) {
    wchar_t buffer[MAX_PATH] = {};
    if (::SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_PROGRAM_FILES, FALSE)) folder = buffer;
  }
  return WithBackslash(folder);
}

std::wstring ModulePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= 65536) return std::wstring();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

bool IsValidInstallPath(const std::wstring& path) {
  const std::wstring normalized = NormalizeDirPath(path);
  if (normalized.find(L':') == std::wstring::npos) return false;
  if (normalized.size() < 3) return false;
  if (!IsDirectory(normalized.substr(0, 3))) return false;
  return normalized.find_first_of(L":*?\"<>|", 3) == std::wstring::npos;
}

double GetFreeDiskSpaceMB(const std::wstring& path) {
  if (path.size() < 3 || path[1] != L':' || (path[2] != L'\\' && path[2] != L'/')) return 0;
  const std::wstring root = path.substr(0, 2) + L"\\";
  DWORD sectors_per_cluster = 0;
  DWORD bytes_per_sector = 0;
  DWORD free_clusters = 0;
  DWORD total_clusters = 0;
  if (!::GetDiskFreeSpaceW(root.c_str(), &sectors_per_cluster, &bytes_per_sector,
                           &free_clusters, &total_clusters)) {
    return 0;
  }
  const uint32_t cluster_bytes = sectors_per_cluster * bytes_per_sector;
  return static_cast<double>(cluster_bytes) / 1048576.0 * static_cast<double>(free_clusters);
}

std::wstring GetProgramFilesDir() {
  static auto* const cache = new CachedText<std::wstring>;
  return cache->Get(ComputeProgramFilesDir);
}

std::wstring GetLocalAppDataDir() {
  static auto* const cache = new CachedText<std::wstring>;
  return cache->Get(ComputeLocalAppDataDir);
}

std::wstring GetRoamingAppDataDir() { return ShellFolder(CSIDL_APPDATA); }

std::wstring GetExeFileName() { return FileNameOfPath(ModulePath()); }

std::wstring GetExeDir() { return FolderOfPath(ModulePath()); }

std::wstring GetExeBaseName() { return ExeBaseNameFromFileName(GetExeFileName()); }

LanguageCodeAndPage GetLanguageCodeFromExeName() {
  return {LanguageCodeFromFileName(GetExeFileName()), L"home"};
}

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirectories(const std::wstring& folder) {
  if (folder.empty()) return false;
  if (IsDirectory(folder)) return true;
  for (const std::wstring& step : FolderChain(folder)) {
    if (!::CreateDirectoryW(step.c_str(), nullptr) && !IsDirectory(step)) return false;
  }
  return IsDirectory(folder);
}

bool CreateFolder(const std::wstring& folder) {
  std::wstring path = folder;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  const int result = ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

bool WriteTextFile(const std::wstring& path, const std::wstring& text) {
  nbase::win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                              nullptr));
  if (!file) return false;
  std::string bytes = Utf16ToUtf8(text);
  ReplaceAll("\n", "\r\n", bytes);
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}
