#include "ui/core/dpi_scaler.h"

#include <gtest/gtest.h>

#include <climits>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ui {
namespace {

TEST(DpiScalerTest, WithoutAdaptationNothingScalesWhateverTheDpi) {
  DpiScaler scaler;
  EXPECT_FALSE(scaler.IsDpiAdaptive());
  scaler.SetScaleFromDpi(192);
  EXPECT_EQ(scaler.ScalePercent(), 100);
  EXPECT_EQ(scaler.ScaleValue(17), 17);
  const Rect rect = scaler.ScaleRectangle(Rect{1, 2, 30, 40});
  EXPECT_EQ(rect.left, 1);
  EXPECT_EQ(rect.bottom, 40);
}

TEST(DpiScalerTest, ScaleFollowsTheDpiRounded) {
  struct Case {
    int dpi;
    int percent;
  };
  const Case cases[] = {{96, 100}, {120, 125}, {144, 150}, {192, 200},
                        {110, 115}, {100, 104}, {288, 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    DpiScaler scaler;
    ASSERT_TRUE(scaler.EnableDpiAdaptation());
    EXPECT_TRUE(scaler.EnableDpiAdaptation());  // already adaptive
    EXPECT_TRUE(scaler.IsDpiAdaptive());
    scaler.SetScaleFromDpi(c.dpi);
    EXPECT_EQ(scaler.ScalePercent(), c.percent);
  }
}

TEST(DpiScalerTest, ANonPositiveDpiKeepsTheScale) {
  DpiScaler scaler;
  ASSERT_TRUE(scaler.EnableDpiAdaptation());
  scaler.SetScaleFromDpi(144);
  scaler.SetScaleFromDpi(0);
  scaler.SetScaleFromDpi(-96);
  EXPECT_EQ(scaler.ScalePercent(), 150);
}

TEST(DpiScalerTest, ScalesValuesSizesAndRectangles) {
  DpiScaler scaler;
  ASSERT_TRUE(scaler.EnableDpiAdaptation());
  scaler.SetScaleFromDpi(144);
  EXPECT_EQ(scaler.ScaleValue(10), 15);
  EXPECT_EQ(scaler.ScaleValue(7), 11);  // 10.5, rounded away from zero
  EXPECT_EQ(scaler.ScaleValue(-7), -11);
  EXPECT_EQ(scaler.ScaleValue(0), 0);
  const Size size = scaler.ScaleSizeValue(Size{640, 360});
  EXPECT_EQ(size.cx, 960);
  EXPECT_EQ(size.cy, 540);
  // Right and bottom come from the scaled width and height, not from scaling them.
  const Rect rect = scaler.ScaleRectangle(Rect{1, 1, 4, 4});
  EXPECT_EQ(rect.left, 2);
  EXPECT_EQ(rect.top, 2);
  EXPECT_EQ(rect.right, 7);
  EXPECT_EQ(rect.bottom, 7);
}

// Values from hostile markup: no signed overflow (the sanitizers watch); a value that
// cannot be scaled gives -1, as MulDiv does.
TEST(DpiScalerTest, HostileRectanglesDoNotOverflow) {
  DpiScaler scaler;
  ASSERT_TRUE(scaler.EnableDpiAdaptation());
  scaler.SetScaleFromDpi(192);
  const Rect rect = scaler.ScaleRectangle(Rect{INT_MIN, -5, INT_MAX, 5});
  EXPECT_EQ(rect.left, -1);
  EXPECT_EQ(rect.top, -10);
  EXPECT_EQ(rect.bottom, 10);
  EXPECT_EQ(scaler.ScaleValue(INT_MAX), -1);
}

TEST(DpiScalerTest, MulDivRoundsLikeTheSystem) {
  struct Case {
    int a, b, c, expected;
  };
  const Case cases[] = {
      {7, 150, 100, 11},   {-7, 150, 100, -11}, {5, 1, 2, 3},        {-5, 1, 2, -3},
      {10, -3, 4, -8},     {10, 3, -4, -8},     {-10, -3, 4, 8},     {1, 1, 3, 0},
      {2, 1, 3, 1},        {-1, 1, 2, -1},      {0, -3, 4, 0},       {1, 1, 0, -1},
      {INT_MAX, 2, 1, -1}, {INT_MAX, 1, 1, INT_MAX}, {INT_MIN, 1, 1, -1},
      {-INT_MAX, 1, 1, -INT_MAX}, {96, 100, 96, 100}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " * " << c.b << " / " << c.c);
    EXPECT_EQ(MulDivRounded(c.a, c.b, c.c), c.expected);
#ifdef _WIN32
    EXPECT_EQ(MulDivRounded(c.a, c.b, c.c), ::MulDiv(c.a, c.b, c.c));
#endif
  }
}

TEST(DpiScalerTest, PrimaryMonitorHasADpi) { EXPECT_GT(DpiScaler::PrimaryMonitorDpi(), 0); }

}  // namespace
}  // namespace ui
