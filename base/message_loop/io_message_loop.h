// A message loop over the I/O completion-port pump: overlapped I/O completions and tasks
// on one thread. Threads and re-entry as for MessageLoop.
#pragma once

#include <windows.h>

#include "base/message_loop/message_loop.h"
#include "base/message_loop/win_io_message_pump.h"

namespace nbase {

class IOMessageLoop : public MessageLoop {
 public:
  IOMessageLoop();

  WinIOMessagePump* io_pump() const { return static_cast<WinIOMessagePump*>(pump()); }
  bool RegisterIOHandler(HANDLE file, WinIOMessagePump::IOHandler* handler) {
    return io_pump()->RegisterIOHandler(file, handler);
  }
};

}  // namespace nbase
