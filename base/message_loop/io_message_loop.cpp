#include "base/message_loop/io_message_loop.h"

#include <memory>

namespace nbase {

IOMessageLoop::IOMessageLoop()
    : MessageLoop(MessageLoopKind::IO, std::make_shared<WinIOMessagePump>()) {}

}  // namespace nbase
