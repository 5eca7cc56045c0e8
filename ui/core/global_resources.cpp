#include "ui/core/global_resources.h"

#include <map>
#include <utility>

#include "ui/core/image_cache.h"
#include "ui/core/resource_package.h"

namespace ui {

namespace {

struct Registry {
  std::wstring resource_folder;
  std::map<std::wstring, uint32_t> colors;
  std::wstring default_text_color_name = L"textdefaultcolor";
  std::wstring default_disabled_text_color_name = L"textdefaultdisablecolor";
  uint32_t link_color = 0xFF0000FF;
  uint32_t link_hover_color = 0xFFD3215F;
  uint32_t selected_color = 0xFFBAE4FF;
  std::map<std::wstring, std::wstring> classes;
  IniFile text_ids;
  ImageCache images;
  std::unique_ptr<IImageDecoder> image_decoder;
  CreateControlCallback create_control;
  DpiScaler dpi;
};

// Never destroyed: images and controls released during process exit may still look here.
Registry& State() {
  static Registry* registry = new Registry();
  return *registry;
}

// Images in the package are keyed by their archive path, so that every spelling of one
// entry ("form\\..\\public/x.png", "public/x.png") shares the image.
std::wstring ImageKey(const std::wstring& path) {
  return IsUsingPackage() ? NormalizePackagePath(path) : NormalizeFilePath(path);
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

void GlobalResources::SetResourceFolder(const std::wstring& path) {
  std::wstring folder = path;
  // An empty folder stays empty (the current folder) rather than becoming the root.
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  State().resource_folder = std::move(folder);
}

const std::wstring& GlobalResources::ResourceFolder() { return State().resource_folder; }

void GlobalResources::RegisterColor(const std::wstring& name, const std::wstring& value) {
  if (value.empty()) return;
  // The first character is the number sign of the notation. More than eight digits
  // saturate, as the C runtime's conversion does.
  uint64_t argb = 0;
  for (size_t i = 1; i < value.size(); ++i) {
    const int digit = HexDigit(value[i]);
    if (digit < 0) break;
    argb = argb * 16 + static_cast<uint64_t>(digit);
    if (argb > 0xFFFFFFFFu) argb = 0xFFFFFFFFu;
  }
  State().colors[name] = static_cast<uint32_t>(argb);
}

uint32_t GlobalResources::ColorByName(const std::wstring& name) {
  // Entered on first use, so that later lookups of the same unknown name agree.
  return State().colors[name];
}

const std::wstring& GlobalResources::DefaultTextColorName() {
  return State().default_text_color_name;
}

void GlobalResources::SetDefaultTextColorName(const std::wstring& name) {
  State().default_text_color_name = name;
}

const std::wstring& GlobalResources::DefaultDisabledTextColorName() {
  return State().default_disabled_text_color_name;
}

void GlobalResources::SetDefaultDisabledTextColorName(const std::wstring& name) {
  State().default_disabled_text_color_name = name;
}

uint32_t GlobalResources::LinkColor() { return State().link_color; }
void GlobalResources::SetLinkColor(uint32_t argb) { State().link_color = argb; }
uint32_t GlobalResources::LinkHoverColor() { return State().link_hover_color; }
void GlobalResources::SetLinkHoverColor(uint32_t argb) { State().link_hover_color = argb; }
uint32_t GlobalResources::SelectedColor() { return State().selected_color; }
void GlobalResources::SetSelectedColor(uint32_t argb) { State().selected_color = argb; }

void GlobalResources::RegisterStyleClass(const std::wstring& name,
                                         const std::wstring& attributes) {
  State().classes[name] = attributes;
}

std::wstring GlobalResources::StyleClassAttributes(const std::wstring& name) {
  const auto& classes = State().classes;
  auto it = classes.find(name);
  return it == classes.end() ? std::wstring() : it->second;
}

IniFile& GlobalResources::TextIdTable() { return State().text_ids; }

// The table's own lookup already turns the written "\r" and "\n" into line ends.
std::wstring GlobalResources::TextForId(const std::wstring& id) {
  return State().text_ids.Get(id);
}

void GlobalResources::SetImageDecoder(std::unique_ptr<IImageDecoder> decoder) {
  State().image_decoder = std::move(decoder);
}

std::shared_ptr<ImageInfo> GlobalResources::AcquireImage(const std::wstring& path) {
  Registry& state = State();
  return state.images.Acquire(ImageKey(path), [&state, &path]() -> std::unique_ptr<ImageInfo> {
    IImageDecoder* decoder = state.image_decoder.get();
    if (!decoder) return nullptr;
    if (IsUsingPackage()) {
      if (auto bytes = ReadPackageFile(path)) {
        if (std::unique_ptr<ImageInfo> image = decoder->DecodeMemory(*bytes)) return image;
      }
    }
    return decoder->DecodeFile(NormalizeFilePath(path));
  });
}

std::shared_ptr<ImageInfo> GlobalResources::FindCachedImage(const std::wstring& path) {
  return State().images.Find(ImageKey(path));
}

Control* GlobalResources::CreateCustomControl(const std::wstring& tag) {
  const CreateControlCallback& create = State().create_control;
  return create ? create(tag) : nullptr;
}

void GlobalResources::SetCreateControlCallback(CreateControlCallback callback) {
  State().create_control = std::move(callback);
}

DpiScaler& GlobalResources::Dpi() { return State().dpi; }

}  // namespace ui
