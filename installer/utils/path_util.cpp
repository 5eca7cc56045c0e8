#include "installer/utils/path_util.h"

#include <algorithm>

#include "installer/utils/string_util.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Length of the part of `path` (with "\" separators) that FolderChain does not create.
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') {
    return path.size() >= 3 && path[2] == L'\\' ? 3 : 2;
  }
  if (path.compare(0, 2, L"\\\\") == 0) {
    // "\\server\share\": the root ends after the separator that follows the share.
    size_t pos = path.find(L'\\', 2);
    if (pos == std::wstring::npos) return path.size();
    pos = path.find(L'\\', pos + 1);
    return pos == std::wstring::npos ? path.size() : pos + 1;
  }
  return !path.empty() && path[0] == L'\\' ? 1 : 0;
}

}  // namespace

std::wstring NormalizeDirPath(const std::wstring& path) {
  if (path.empty()) return path;
  std::wstring result = path + L"//";
  std::replace(result.begin(), result.end(), L'/', L'\\');
  while (result.size() >= 2 && result.find(L"\\\\") != std::wstring::npos) {
    ReplaceAll(L"\\\\", L"\\", result);
  }
  return result;
}

std::wstring ExeBaseNameFromFileName(const std::wstring& file_name) {
  const std::vector<std::wstring> pieces = SplitString(file_name, L".");
  return pieces.size() == 2 ? pieces[0] : std::wstring();
}

std::wstring LanguageCodeFromFileName(const std::wstring& file_name) {
  const std::vector<std::wstring> pieces = SplitString(file_name, L".");
  if (pieces.size() == 2) {
    const std::vector<std::wstring> parts = SplitString(pieces[0], L"_");
    if (parts.size() >= 3) return parts.back();
  }
  return L"en";
}

std::wstring FileNameOfPath(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderOfPath(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::vector<std::wstring> FolderChain(const std::wstring& folder) {
  std::wstring path = folder;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  std::vector<std::wstring> chain;
  const size_t root = RootLength(path);
  for (size_t pos = root; pos <= path.size(); ++pos) {
    const bool component_ends = pos == path.size() || IsSeparator(path[pos]);
    if (component_ends && pos > root && !IsSeparator(path[pos - 1])) {
      chain.push_back(path.substr(0, pos));
    }
  }
  return chain;
}
