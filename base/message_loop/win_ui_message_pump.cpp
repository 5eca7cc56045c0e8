#include "base/message_loop/win_ui_message_pump.h"

#include <algorithm>
#include <cstdint>

#include "base/message_loop/message_loop.h"
#include "base/synchronization/lock.h"

namespace nbase {

namespace {

// The code CallMsgFilter hooks see for messages of this pump.
constexpr int kMessageFilterCode = 0x5001;

HINSTANCE ModuleOfThisCode() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
  return module;
}

// The hidden windows of pumps on several threads share one class; it stays registered
// while a pump exists, so that one thread's pump going away cannot unregister the class
// under another thread that is creating its window.
class PumpWindowClass {
 public:
  static void Acquire(WNDPROC window_proc) {
    AutoLock hold(&lock());
    if (users()++ > 0) return;
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = ModuleOfThisCode();
    window_class.lpszClassName = WinUIMessagePump::kWindowClassName;
    ::RegisterClassExW(&window_class);
  }

  static void Release() {
    AutoLock hold(&lock());
    if (--users() > 0) return;
    ::UnregisterClassW(WinUIMessagePump::kWindowClassName, ModuleOfThisCode());
  }

 private:
  // Never destroyed: a pump may outlive static destruction on another thread.
  static Lock& lock() {
    static Lock* const instance = new Lock;
    return *instance;
  }
  static int& users() {
    static int count = 0;
    return count;
  }
};

}  // namespace

WinUIMessagePump::WinUIMessagePump() {
  PumpWindowClass::Acquire(&WindowProc);
  window_.reset(::CreateWindowExW(0, kWindowClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, ModuleOfThisCode(), nullptr));
  if (window_) {
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

WinUIMessagePump::~WinUIMessagePump() {
  KillDelayedWorkTimer();
  if (window_) ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
  PumpWindowClass::Release();
}

void WinUIMessagePump::Wake() {
  if (!window_ || !ClaimWake()) return;
  // A full queue refuses the message; then the next post must try again.
  if (!::PostMessageW(window_.get(), kWakeMessage, reinterpret_cast<WPARAM>(this), 0)) {
    ClearWake();
  }
}

void WinUIMessagePump::SetDelayedWakeTime(const TickTime& delayed_wake_time) {
  delayed_wake_time_ = delayed_wake_time;
  const int64_t delay = CurrentDelay();
  UINT elapse;
  if (delay < USER_TIMER_MINIMUM) {
    elapse = USER_TIMER_MINIMUM;
  } else {
    elapse = static_cast<UINT>(std::min<int64_t>(delay, 0xFFFFFFFE));
  }
  if (window_ && ::SetTimer(window_.get(), TimerId(), elapse, nullptr)) timer_armed_ = true;
}

void WinUIMessagePump::KillDelayedWorkTimer() {
  if (!timer_armed_) return;
  ::KillTimer(window_.get(), TimerId());
  timer_armed_ = false;
}

void WinUIMessagePump::RunLoop() {
  for (;;) {
    const bool sent = (HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
    MSG message;
    bool plausible;
    if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      plausible = ProcessMessage(message);
    } else {
      plausible = sent;
    }
    if (state_->quit) break;
    plausible |= state_->delegate->ProcessWork();
    if (state_->quit) break;
    plausible |= state_->delegate->ProcessDelayedWork(&delayed_wake_time_);
    // No delayed task left: the timer would only wake a modal loop for nothing.
    if (plausible && delayed_wake_time_.is_null()) KillDelayedWorkTimer();
    if (state_->quit) break;
    if (plausible) continue;
    const bool did_idle_work = state_->delegate->ProcessIdleWork();
    if (state_->quit) break;
    if (did_idle_work) continue;
    WaitForWork();
  }
}

void WinUIMessagePump::WaitForWork() {
  const int64_t delay = CurrentDelay();
  const DWORD timeout =
      delay < 0 ? INFINITE : static_cast<DWORD>(std::min<int64_t>(delay, 0xFFFFFFFE));
  const DWORD result =
      ::MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (result != WAIT_OBJECT_0) return;
  // Mouse input reported for the queue but not retrievable here belongs to a window of
  // another thread that shares our input state; waiting for new input avoids spinning.
  MSG message;
  if ((HIWORD(::GetQueueStatus(QS_MOUSE)) & QS_MOUSE) != 0 &&
      !::PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE)) {
    ::WaitMessage();
  }
}

bool WinUIMessagePump::ProcessMessage(const MSG& message) {
  if (message.message == WM_QUIT) {
    state_->quit = true;
    // An outer run, or a modal loop around this one, must see it too.
    ::PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (message.message == kWakeMessage && message.hwnd == window_.get()) {
    return ProcessPumpReplacementMessage();
  }
  if (::CallMsgFilterW(const_cast<MSG*>(&message), kMessageFilterCode)) return true;

  WillDispatchMessage(message);
  if (state_->dispatcher) {
    if (!state_->dispatcher->Dispatch(message)) state_->quit = true;
  } else {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  DidDispatchMessage(message);
  return true;
}

bool WinUIMessagePump::ProcessPumpReplacementMessage() {
  // The wake message took the place of a real message in the queue; fetch one so that
  // posting tasks never starves input. Inside an OS modal loop only paint and timer
  // messages are taken, leaving the rest to that loop.
  MSG message;
  bool have_message;
  MessageLoop* loop = MessageLoop::current();
  if (loop && loop->os_modal_loop()) {
    have_message = ::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) ||
                   ::PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE);
  } else {
    have_message = ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
  }
  ClearWake();
  if (!have_message) return false;
  // The message may enter native modal code; the loop must get another turn regardless.
  Wake();
  return ProcessMessage(message);
}

void WinUIMessagePump::HandleTimer() {
  KillDelayedWorkTimer();
  if (!state_) return;
  state_->delegate->ProcessDelayedWork(&delayed_wake_time_);
  if (!delayed_wake_time_.is_null()) SetDelayedWakeTime(delayed_wake_time_);
}

void WinUIMessagePump::HandleWake() {
  if (!state_) {
    // A message loop of the OS ran before the pump's first Run; the tasks wait for it.
    ClearWake();
    return;
  }
  ProcessPumpReplacementMessage();
  if (state_->delegate->ProcessWork()) Wake();
}

void WinUIMessagePump::WillDispatchMessage(const MSG& message) {
  observers_.Notify([&](UIObserver& observer) { observer.WillDispatchMessage(message); });
}

void WinUIMessagePump::DidDispatchMessage(const MSG& message) {
  observers_.Notify([&](UIObserver& observer) { observer.DidDispatchMessage(message); });
}

LRESULT CALLBACK WinUIMessagePump::WindowProc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  auto* pump = reinterpret_cast<WinUIMessagePump*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (pump) {
    if (message == WM_TIMER && wparam == pump->TimerId()) {
      pump->HandleTimer();
    } else if (message == kWakeMessage) {
      pump->HandleWake();
    }
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace nbase
