#include "tests/support/scoped_temp_folder.h"

#include <windows.h>
#include <atomic>
#include <fstream>
#include <iterator>

#include "base/win/scoped_handle.h"

namespace {

void RemoveTree(const std::wstring& folder, int depth) {
  {
    WIN32_FIND_DATAW entry;
    nbase::win::ScopedFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &entry));
    if (find) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          if (depth > 0) RemoveTree(path + L"\\", depth - 1);
        } else {
          ::DeleteFileW(path.c_str());
        }
      } while (::FindNextFileW(find.get(), &entry));
    }
  }
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

ScopedTempFolder::ScopedTempFolder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  if (!::GetTempPathW(MAX_PATH, temp)) return;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate = std::wstring(temp) + L"qm-test-" +
                                   std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(counter++);
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate + L"\\";
      return;
    }
  }
}

ScopedTempFolder::~ScopedTempFolder() {
  if (valid()) RemoveTree(path_, 2);
}

bool ReadWholeFile(const std::wstring& path, std::string* bytes) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && out.flush();
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ListFolder(const std::wstring& folder) {
  std::wstring names;
  WIN32_FIND_DATAW entry;
  nbase::win::ScopedFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &entry));
  if (!find) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if (!names.empty()) names += L" ";
    names += name;
  } while (::FindNextFileW(find.get(), &entry));
  return names;
}
