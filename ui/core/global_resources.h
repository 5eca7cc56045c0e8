// The framework's process-wide registry: the resource folder, the fonts, named colours
// and style classes of global.xml, the language strings, the shared image cache and the
// DPI scale. All state is static; StartFramework fills it before any window is built and
// StopFramework tears the fonts and the package down.
//
// UI thread only, no locking: worker threads must not call in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "installer/utils/ini_file.h"
#include "ui/core/dpi_scaler.h"
#include "ui/core/image_decoder.h"
#include "ui/core/image_info.h"

#ifdef _WIN32
#include "base/win/scoped_handle.h"
#endif

namespace ui {

class Control;

// The application's factory for markup tags the framework does not know: a new control
// that the caller then owns, or nullptr.
using CreateControlCallback = std::function<Control*(const std::wstring& tag)>;

#ifdef _WIN32
struct FontRecord {
  nbase::win::ScopedFont handle;
  std::wstring face_name;  // after the "system" face was mapped
  int size = 0;            // as declared, before DPI scaling
  bool bold = false;
  bool underline = false;
  bool italic = false;
};
#endif

class GlobalResources {
 public:
  GlobalResources() = delete;

#ifdef _WIN32
  // `root` and `theme` give the resource folder (root + theme), `language` the folder of
  // gdstrings.ini below `root`. Loads global.xml and the strings (from the open resource
  // package, else from the disk), starts GDI+ and the common controls. False when GDI+
  // cannot start; missing or malformed resources only leave the registries empty.
  static bool StartFramework(const std::wstring& root, CreateControlCallback callback,
                             bool adapt_dpi, const std::wstring& theme,
                             const std::wstring& language);
  // Closes the resource package, deletes every font and stops GDI+.
  static void StopFramework();

  // Creates the font and registers it under `id` (an empty id becomes the number of fonts
  // registered so far) unless the id is taken: a later declaration of an id leaves the
  // first in place. The face "system" is the system's UI face; the height is the
  // DPI-scaled `size`. Returns the font registered under the id, or nullptr when the font
  // cannot be created.
  static HFONT RegisterFont(const std::wstring& id, const std::wstring& face_name, int size,
                            bool bold, bool underline, bool italic, bool is_default);
  // An empty id means the default font; an id never registered gives the default font
  // too. nullptr when there is none.
  static const FontRecord* FindFont(const std::wstring& id);
  static HFONT FontHandle(const std::wstring& id);
  static const std::wstring& DefaultFontId();
#endif

  // Stores the folder, appending "\" unless it is empty or already ends with "\" or "/".
  static void SetResourceFolder(const std::wstring& path);
  static const std::wstring& ResourceFolder();

  // `value` is "#" and hexadecimal alpha, red, green, blue; reading stops at the first
  // character that is not a hexadecimal digit. An empty value is ignored.
  static void RegisterColor(const std::wstring& name, const std::wstring& value);
  // ARGB; a name never registered is entered with 0 (transparent) and gives 0.
  static uint32_t ColorByName(const std::wstring& name);

  static const std::wstring& DefaultTextColorName();
  static void SetDefaultTextColorName(const std::wstring& name);
  static const std::wstring& DefaultDisabledTextColorName();
  static void SetDefaultDisabledTextColorName(const std::wstring& name);
  static uint32_t LinkColor();
  static void SetLinkColor(uint32_t argb);
  static uint32_t LinkHoverColor();
  static void SetLinkHoverColor(uint32_t argb);
  static uint32_t SelectedColor();
  static void SetSelectedColor(uint32_t argb);

  // Inserts or replaces. The list is name="value" pairs separated by spaces.
  static void RegisterStyleClass(const std::wstring& name, const std::wstring& attributes);
  // The list, or "" for an unknown class.
  static std::wstring StyleClassAttributes(const std::wstring& name);

  // The language strings by text id.
  static IniFile& TextIdTable();
  // "" for an empty or unknown id; "\r" and "\n" written in the table become line ends.
  static std::wstring TextForId(const std::wstring& id);

  // The decoder behind AcquireImage; without one no image is decoded.
  static void SetImageDecoder(std::unique_ptr<IImageDecoder> decoder);
  // The decoded image of `path`, shared with every other holder of the same image. The
  // key is the path in the package's form while a package is open, else in the disk's
  // form; the image comes from the package, falling back to the disk.
  static std::shared_ptr<ImageInfo> AcquireImage(const std::wstring& path);
  // The live image of `path` under the same key as AcquireImage, or nothing; never loads.
  static std::shared_ptr<ImageInfo> FindCachedImage(const std::wstring& path);

  // The callback's new control for `tag`, or nullptr without a callback.
  static Control* CreateCustomControl(const std::wstring& tag);
  static void SetCreateControlCallback(CreateControlCallback callback);

  static DpiScaler& Dpi();
};

}  // namespace ui
