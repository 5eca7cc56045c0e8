#include "installer/HttpClient/parent_folders.h"

#include <windows.h>

void CreateParentFolders(const std::wstring& file_path) {
  for (size_t i = file_path.find(L'\\'); i != std::wstring::npos;
       i = file_path.find(L'\\', i + 1)) {
    const std::wstring prefix = file_path.substr(0, i);
    if (prefix.empty() || ::GetFileAttributesW(prefix.c_str()) != INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    ::CreateDirectoryW(prefix.c_str(), nullptr);
  }
}
