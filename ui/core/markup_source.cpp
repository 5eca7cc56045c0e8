#include "ui/core/markup_source.h"

#include <algorithm>
#include <cstdint>

#include "ui/core/global_resources.h"
#include "ui/core/resource_package.h"

namespace ui {

bool LoadMarkupSource(MarkupDocument& document, const std::wstring& source) {
  if (!source.empty() && source[0] == L'<') return document.ParseText(source);
  if (IsUsingPackage()) {
    if (auto bytes = ReadPackageFile(GlobalResources::ResourceFolder() + source)) {
      const auto end = std::find(bytes->begin(), bytes->end(), uint8_t{0});
      const size_t length = static_cast<size_t>(end - bytes->begin());
      return document.ParseBytes(bytes->data(), length, MarkupEncoding::kUtf8);
    }
  }
  return document.ParseFile(source, MarkupEncoding::kUtf8);
}

}  // namespace ui
