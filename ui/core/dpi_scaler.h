// DPI adaptation: markup sizes are written in 96-DPI units and multiplied by the scale
// (in percent) when they are read. Scaling changes nothing until adaptation is enabled.
//
// The framework's scaler is GlobalResources::Dpi(), used on the UI thread only.
#pragma once

#include "ui/core/geometry.h"

namespace ui {

class DpiScaler {
 public:
  // Makes the process DPI-aware (per monitor where the system offers it); true when it
  // is, also when it already was.
  bool EnableDpiAdaptation();
  bool IsDpiAdaptive() const { return adaptive_; }
  // 100 while not adaptive.
  int ScalePercent() const { return adaptive_ ? scale_ : 100; }

  // While adaptive, the scale becomes dpi * 100 / 96, rounded; otherwise nothing changes.
  void SetScaleFromDpi(int dpi);

  int ScaleValue(int value) const;
  Size ScaleSizeValue(Size size) const;
  // Left and top are scaled; the width and height are scaled and added back.
  Rect ScaleRectangle(Rect rect) const;

  // The effective DPI of the monitor nearest to the point (1, 1).
  static int PrimaryMonitorDpi();

 private:
  bool adaptive_ = false;
  int scale_ = 100;
};

// a * b / c rounded half away from zero; -1 when c is 0 or the result lies outside
// -INT_MAX..INT_MAX. The same answers as the system's MulDiv, without the system.
int MulDivRounded(int a, int b, int c);

}  // namespace ui
