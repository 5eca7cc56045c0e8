#include "ui/core/dpi_scaler.h"

#include <climits>
#include <cstdint>

#include "ui/core/dpi_awareness.h"

namespace ui {

namespace {

int ClampToInt(int64_t value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

int MulDivRounded(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t product = static_cast<int64_t>(a) * b;
  const int64_t divisor = c;
  const bool negative = (product < 0) != (divisor < 0);
  const int64_t magnitude = product < 0 ? -product : product;
  const int64_t divisor_magnitude = divisor < 0 ? -divisor : divisor;
  const int64_t quotient = (magnitude + divisor_magnitude / 2) / divisor_magnitude;
  const int64_t result = negative ? -quotient : quotient;
  if (result > INT_MAX || result < -INT_MAX) return -1;
  return static_cast<int>(result);
}

bool DpiScaler::EnableDpiAdaptation() {
  if (adaptive_) return true;
  adaptive_ = SwitchProcessToDpiAwareness();
  return adaptive_;
}

void DpiScaler::SetScaleFromDpi(int dpi) {
  // A DPI of zero or less is no measurement; keep the scale rather than zero every size.
  if (adaptive_ && dpi > 0) scale_ = MulDivRounded(dpi, 100, 96);
}

int DpiScaler::ScaleValue(int value) const {
  if (!adaptive_ || scale_ == 100) return value;
  return MulDivRounded(value, scale_, 100);
}

Size DpiScaler::ScaleSizeValue(Size size) const {
  return Size{ScaleValue(size.cx), ScaleValue(size.cy)};
}

Rect DpiScaler::ScaleRectangle(Rect rect) const {
  if (!adaptive_ || scale_ == 100) return rect;
  // Widths of hostile rectangles may not fit in 32 bits; such values saturate.
  const auto scale_span = [this](int64_t from, int64_t to) {
    const int64_t span = ClampToInt(to - from);
    return ClampToInt(ScaleValue(static_cast<int>(from)) +
                      static_cast<int64_t>(ScaleValue(static_cast<int>(span))));
  };
  const int left = ScaleValue(rect.left);
  const int top = ScaleValue(rect.top);
  return Rect{left, top, scale_span(rect.left, rect.right), scale_span(rect.top, rect.bottom)};
}

int DpiScaler::PrimaryMonitorDpi() { return QueryPrimaryMonitorDpi(); }

}  // namespace ui
