#include "ui/core/global_resources.h"

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <map>
#include <utility>

#include "installer/utils/logger.h"
#include "installer/utils/path_util.h"
#include "ui/core/global_markup.h"
#include "ui/core/markup_source.h"
#include "ui/core/resource_package.h"

namespace ui {

namespace {

struct FontRegistry {
  std::map<std::wstring, FontRecord> fonts;
  std::wstring default_font_id;
  ULONG_PTR gdiplus_token = 0;  // non-zero while GDI+ runs
};

FontRegistry& Fonts() {
  static FontRegistry* registry = new FontRegistry();
  return *registry;
}

// "微软雅黑" from Windows 6.0 on, "新宋体" before.
const std::wstring& SystemFaceName() {
  static const std::wstring face = [] {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 0;
    version.wServicePackMajor = 0;
    DWORDLONG condition = 0;
    condition = ::VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = ::VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    condition = ::VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    const bool vista_or_later =
        ::VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                             condition) != FALSE;
    return vista_or_later ? std::wstring{0x5FAE, 0x8F6F, 0x96C5, 0x9ED1}
                          : std::wstring{0x65B0, 0x5B8B, 0x4F53};
  }();
  return face;
}

void LoadGlobalMarkup() {
  MarkupDocument document;
  if (!LoadMarkupSource(document, L"global.xml")) {
    QLOG(LV_WAR, L"global.xml not loaded: {0} {1}") << document.ErrorMessage()
                                                    << document.ErrorLocation();
    return;
  }
  const bool registered = RegisterGlobalMarkup(document.RootNode(), [](const FontDeclaration& font) {
    GlobalResources::RegisterFont(font.id, font.name, font.size, font.bold, font.underline,
                                  font.italic, font.is_default);
  });
  if (!registered) QLOG(LV_WAR, L"global.xml has no Global root");
}

void LoadLanguageStrings(const std::wstring& path) {
  IniFile& table = GlobalResources::TextIdTable();
  if (IsUsingPackage()) {
    if (auto bytes = ReadPackageFile(path)) {
      table.LoadFromMemory(bytes->data(), bytes->size());
    } else {
      QLOG(LV_WAR, L"no strings in the package at {0}") << path;
    }
  } else if (!table.LoadFromFile(path)) {
    QLOG(LV_WAR, L"no strings at {0}") << path;
  }
}

}  // namespace

bool GlobalResources::StartFramework(const std::wstring& root, CreateControlCallback callback,
                                     bool adapt_dpi, const std::wstring& theme,
                                     const std::wstring& language) {
  const std::wstring resource_root = NormalizeDirPath(root);
  SetResourceFolder(resource_root + theme);
  SetCreateControlCallback(std::move(callback));
  if (adapt_dpi && Dpi().EnableDpiAdaptation()) {
    Dpi().SetScaleFromDpi(DpiScaler::PrimaryMonitorDpi());
  }
  LoadGlobalMarkup();
  LoadLanguageStrings(NormalizeDirPath(resource_root + language) + L"gdstrings.ini");

  FontRegistry& registry = Fonts();
  if (registry.gdiplus_token == 0) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status != Gdiplus::Ok) {
      QLOG(LV_ERR, L"GdiplusStartup failed: {0}") << static_cast<int>(status);
      return false;
    }
    registry.gdiplus_token = token;
  }
  ::InitCommonControls();
  return true;
}

void GlobalResources::StopFramework() {
  CloseResourcePackage();
  FontRegistry& registry = Fonts();
  registry.fonts.clear();  // each record deletes its font
  registry.default_font_id.clear();
  if (registry.gdiplus_token != 0) {
    Gdiplus::GdiplusShutdown(registry.gdiplus_token);
    registry.gdiplus_token = 0;
  }
}

HFONT GlobalResources::RegisterFont(const std::wstring& id, const std::wstring& face_name,
                                    int size, bool bold, bool underline, bool italic,
                                    bool is_default) {
  FontRegistry& registry = Fonts();
  const std::wstring key = id.empty() ? std::to_wstring(registry.fonts.size()) : id;
  const std::wstring face = face_name == L"system" ? SystemFaceName() : face_name;

  LOGFONTW font = {};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfHeight = -Dpi().ScaleValue(size);
  if (bold) font.lfWeight += FW_BOLD;
  if (underline) font.lfUnderline = TRUE;
  if (italic) font.lfItalic = TRUE;
  nbase::win::ScopedFont handle(::CreateFontIndirectW(&font));
  if (!handle) return nullptr;

  auto it = registry.fonts.find(key);
  if (it == registry.fonts.end()) {
    FontRecord record;
    record.handle = std::move(handle);
    record.face_name = face;
    record.size = size;
    record.bold = bold;
    record.underline = underline;
    record.italic = italic;
    it = registry.fonts.emplace(key, std::move(record)).first;
  }
  // A font declared again under a taken id is deleted with `handle` here.
  if (is_default) registry.default_font_id = key;
  return it->second.handle.get();
}

const FontRecord* GlobalResources::FindFont(const std::wstring& id) {
  const FontRegistry& registry = Fonts();
  auto it = registry.fonts.find(id.empty() ? registry.default_font_id : id);
  if (it == registry.fonts.end()) it = registry.fonts.find(registry.default_font_id);
  return it == registry.fonts.end() ? nullptr : &it->second;
}

HFONT GlobalResources::FontHandle(const std::wstring& id) {
  const FontRecord* record = FindFont(id);
  return record ? record->handle.get() : nullptr;
}

const std::wstring& GlobalResources::DefaultFontId() { return Fonts().default_font_id; }

}  // namespace ui
