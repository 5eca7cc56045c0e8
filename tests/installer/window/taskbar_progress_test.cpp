#include "installer/window/taskbar_progress.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

namespace {

HWND CreateMessageWindow() {
  return ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                           nullptr);
}

}  // namespace

TEST(TaskbarProgressTest, WithoutComNothingIsCreatedAndSettingIsSkipped) {
  bool created = true;
  std::thread no_com([&] {
    HWND window = CreateMessageWindow();
    TaskbarProgress progress;
    created = progress.Create(window);
    progress.Set(TaskbarState::kError, 100);
    EXPECT_FALSE(progress.IsCreated());
    ::DestroyWindow(window);
  });
  no_com.join();
  EXPECT_FALSE(created);
}

TEST(TaskbarProgressTest, CreatedOnceForTheWindowAndSetsStateAndValue) {
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  HWND window = CreateMessageWindow();
  ASSERT_NE(window, nullptr);
  {
    TaskbarProgress progress;
    ASSERT_TRUE(progress.Create(window));
    EXPECT_TRUE(progress.IsCreated());
    EXPECT_TRUE(progress.Create(window));
    progress.Set(TaskbarState::kIndeterminate, 45);
    progress.Set(TaskbarState::kError, 100);
  }
  ::DestroyWindow(window);
  ::CoUninitialize();
}
