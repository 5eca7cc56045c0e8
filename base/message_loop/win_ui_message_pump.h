// The pump of UI threads. It runs the thread's Windows message queue and, between
// messages, the loop's tasks. A hidden message-only window of the class
// "OrielMessagePumpWindow" receives the wake message and the delayed-work timer; since
// any message loop of the thread dispatches to it, tasks keep running while the OS runs
// a modal loop (message boxes, menus, window dragging) from a window message handler.
//
// Threads: everything but Wake on the pump's own thread, the thread that created it (it
// owns the hidden window). Wake may be called from any thread and posts at most one wake
// message until the pump has taken it off the queue. Runs may nest; window procedures
// dispatched from here may re-enter the loop.
//
// The hidden window keeps a pointer to the pump, so the pump neither copies nor moves.
#pragma once

#include <windows.h>

#include "base/message_loop/win_message_pump.h"
#include "base/observer_list.h"
#include "base/win/scoped_handle.h"

namespace nbase {

class WinUIMessagePump : public WinMessagePump {
 public:
  class UIObserver {
   public:
    virtual ~UIObserver() = default;
    virtual void WillDispatchMessage(const MSG& message) = 0;
    virtual void DidDispatchMessage(const MSG& message) = 0;
  };

  static constexpr UINT kWakeMessage = WM_USER + 1;
  static constexpr const wchar_t* kWindowClassName = L"OrielMessagePumpWindow";

  WinUIMessagePump();
  ~WinUIMessagePump() override;

  void Wake() override;
  void SetDelayedWakeTime(const TickTime& delayed_wake_time) override;

  void AddObserver(UIObserver* observer) { observers_.AddObserver(observer); }
  void RemoveObserver(UIObserver* observer) { observers_.RemoveObserver(observer); }

  HWND message_window() const { return window_.get(); }

 protected:
  void RunLoop() override;
  virtual void WillDispatchMessage(const MSG& message);
  virtual void DidDispatchMessage(const MSG& message);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  UINT_PTR TimerId() const { return reinterpret_cast<UINT_PTR>(this); }
  // Every timer call is a trip into the window manager; one not armed needs no kill.
  void KillDelayedWorkTimer();
  void HandleTimer();
  void HandleWake();
  // Returns whether the message counts as work done.
  bool ProcessMessage(const MSG& message);
  bool ProcessPumpReplacementMessage();
  void WaitForWork();

  win::ScopedWindow window_;
  bool timer_armed_ = false;
  ObserverList<UIObserver> observers_;
};

}  // namespace nbase
