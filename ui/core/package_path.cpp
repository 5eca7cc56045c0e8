#include "ui/core/package_path.h"

#include <vector>

#include "installer/utils/string_util.h"

namespace ui {

std::wstring NormalizePackagePath(const std::wstring& path) {
  std::wstring text = path;
  ReplaceAll(L"\\", L"/", text);
  ReplaceAll(L"//", L"/", text);

  // Walk the segments, each with the slash that ends it (the last may have none).
  std::vector<std::wstring> kept;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'/', start);
    const bool closed = end != std::wstring::npos;
    end = closed ? end + 1 : text.size();
    const std::wstring segment = text.substr(start, end - start);
    start = end;
    if (segment == L"/" || segment == L"./") continue;
    if (segment == L"../") {
      if (kept.empty()) return std::wstring();
      kept.pop_back();
      continue;
    }
    kept.push_back(segment);
  }

  std::wstring result;
  for (const std::wstring& segment : kept) result += segment;
  return result;
}

std::wstring NormalizeFilePath(const std::wstring& path) {
  std::wstring text = path;
  ReplaceAll(L"/", L"\\", text);
  ReplaceAll(L"\\\\", L"\\", text);
  return text;
}

}  // namespace ui
