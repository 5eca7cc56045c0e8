#include "base/message_loop/win_message_pump.h"

namespace nbase {

void WinMessagePump::RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher) {
  RunState state;
  state.depth = state_ ? state_->depth + 1 : 1;
  state.delegate = delegate;
  state.dispatcher = dispatcher;
  RunState* previous = state_;
  state_ = &state;
  RunLoop();
  state_ = previous;
}

void WinMessagePump::Quit() {
  if (state_) state_->quit = true;
}

int64_t WinMessagePump::CurrentDelay() const {
  if (delayed_wake_time_.is_null()) return -1;
  const int64_t ms = (delayed_wake_time_ - TickTime::Now()).ToMillisecondsRoundedUp();
  return ms < 0 ? 0 : ms;
}

}  // namespace nbase
