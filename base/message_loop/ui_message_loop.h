// A message loop over the Windows UI pump: window messages and tasks on one thread.
// Threads and re-entry as for MessageLoop.
#pragma once

#include "base/message_loop/message_loop.h"
#include "base/message_loop/win_ui_message_pump.h"

namespace nbase {

class UIMessageLoop : public MessageLoop {
 public:
  UIMessageLoop();

  WinUIMessagePump* ui_pump() const { return static_cast<WinUIMessagePump*>(pump()); }
};

}  // namespace nbase
