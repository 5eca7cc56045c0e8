// Helpers shared by the loop and thread tests: loops of each kind, a window on the
// loop's thread to receive messages, and a pump that counts its wakes.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "base/message_loop/default_message_pump.h"
#include "base/message_loop/io_message_loop.h"
#include "base/message_loop/message_loop.h"
#include "base/message_loop/ui_message_loop.h"
#include "base/message_loop/win_io_message_pump.h"
#include "base/message_loop/win_ui_message_pump.h"
#include "base/win/scoped_handle.h"
#include "tests/base/deadline.h"

namespace nbase_test {

inline const char* KindName(nbase::MessageLoopKind kind) {
  switch (kind) {
    case nbase::MessageLoopKind::UI:
      return "UI";
    case nbase::MessageLoopKind::IO:
      return "IO";
    default:
      return "Default";
  }
}

inline std::unique_ptr<nbase::MessageLoop> MakeLoop(nbase::MessageLoopKind kind) {
  switch (kind) {
    case nbase::MessageLoopKind::UI:
      return std::make_unique<nbase::UIMessageLoop>();
    case nbase::MessageLoopKind::IO:
      return std::make_unique<nbase::IOMessageLoop>();
    default:
      return std::make_unique<nbase::MessageLoop>();
  }
}

// Runs the loop until it quits; a loop still running after `seconds` is made to quit
// and fails the test. A loop blocked inside a task is caught by a Deadline instead.
inline void RunWithDeadline(nbase::MessageLoop* loop, int seconds = 20) {
  bool expired = false;
  loop->PostDelayed(
      [&expired] {
        expired = true;
        nbase::MessageLoop::current()->Quit();
      },
      nbase::TickTime::FromMilliseconds(seconds * 1000));
  loop->Run();
  EXPECT_FALSE(expired) << "the loop was still running after " << seconds << " s";
}

// A real pump of the given kind that also counts how often it was asked to wake.
template <typename Pump>
class CountingPump : public Pump {
 public:
  void Wake() override {
    wakes.fetch_add(1);
    Pump::Wake();
  }
  std::atomic<int> wakes{0};
};

// A loop over any pump, with the kind that pump belongs to.
class LoopOverPump : public nbase::MessageLoop {
 public:
  LoopOverPump(nbase::MessageLoopKind kind, std::shared_ptr<nbase::MessagePump> pump)
      : MessageLoop(kind, std::move(pump)) {}
};

// A message-only window on the calling thread whose messages go to `on_message`
// (return true when handled). Holds a pointer to itself in the window, so it stays put.
class TestWindow {
 public:
  using Handler = std::function<bool(UINT, WPARAM, LPARAM)>;

  explicit TestWindow(Handler on_message) : on_message_(std::move(on_message)) {
    static const wchar_t* const kClass = L"QmLoopTestWindow";
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &WindowProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = kClass;
    ::RegisterClassExW(&window_class);  // a second registration fails harmlessly
    window_.reset(::CreateWindowExW(0, kClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return window_.get(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->on_message_ && self->on_message_(message, wparam, lparam)) return 0;
    return ::DefWindowProcW(window, message, wparam, lparam);
  }

  Handler on_message_;
  nbase::win::ScopedWindow window_;
};

// Runs `body` on a thread of its own and waits for it: UI tests that leave WM_QUIT in
// their thread's queue must not share a thread with the next test.
inline void RunOnFreshThread(const std::function<void()>& body) {
  std::thread thread(body);
  thread.join();
}

}  // namespace nbase_test
