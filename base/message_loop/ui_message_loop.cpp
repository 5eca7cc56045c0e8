#include "base/message_loop/ui_message_loop.h"

#include <memory>

namespace nbase {

UIMessageLoop::UIMessageLoop()
    : MessageLoop(MessageLoopKind::UI, std::make_shared<WinUIMessagePump>()) {}

}  // namespace nbase
