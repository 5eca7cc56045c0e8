// A decoded image, shared by every control that shows the same file.
#pragma once

#include <string>

namespace ui {

struct ImageInfo {
  std::wstring path;  // the normalised path it was loaded from: its key in the image cache
  int width = 0;      // pixels of the first frame
  int height = 0;
  bool has_alpha = false;
  bool cached = false;  // set while the image cache holds it
};

}  // namespace ui
