#include "base/message_loop/win_io_message_pump.h"

#include <algorithm>

namespace nbase {

WinIOMessagePump::WinIOMessagePump()
    : port_(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {}

void WinIOMessagePump::Wake() {
  if (!port_ || !ClaimWake()) return;
  const ULONG_PTR self = reinterpret_cast<ULONG_PTR>(this);
  if (!::PostQueuedCompletionStatus(port_.get(), 0, self, reinterpret_cast<OVERLAPPED*>(self))) {
    ClearWake();
  }
}

void WinIOMessagePump::SetDelayedWakeTime(const TickTime& delayed_wake_time) {
  delayed_wake_time_ = delayed_wake_time;
}

bool WinIOMessagePump::RegisterIOHandler(HANDLE file, IOHandler* handler) {
  if (!port_) return false;
  return ::CreateIoCompletionPort(file, port_.get(), reinterpret_cast<ULONG_PTR>(handler), 1) ==
         port_.get();
}

void WinIOMessagePump::RunLoop() {
  for (;;) {
    bool plausible = state_->delegate->ProcessWork();
    if (state_->quit) break;
    plausible |= WaitForIOCompletion(0, nullptr);
    if (state_->quit) break;
    plausible |= state_->delegate->ProcessDelayedWork(&delayed_wake_time_);
    if (state_->quit) break;
    if (plausible) continue;
    plausible = state_->delegate->ProcessIdleWork();
    if (state_->quit) break;
    if (plausible) continue;
    const int64_t delay = CurrentDelay();
    WaitForIOCompletion(
        delay < 0 ? INFINITE : static_cast<DWORD>(std::min<int64_t>(delay, 0xFFFFFFFE)),
        nullptr);
  }
}

bool WinIOMessagePump::WaitForIOCompletion(DWORD timeout_ms, IOHandler* filter) {
  IOItem item;
  if (!TakeSavedItem(filter, &item)) {
    if (!GetIOItem(timeout_ms, &item)) return false;
    if (IsWakePacket(item)) {
      ClearWake();
      return true;
    }
  }
  if (!item.context->handler) {
    // Its handler went away while the operation was pending.
    delete item.context;
  } else if (filter && item.handler != filter) {
    saved_items_.push_back(item);
  } else {
    HandleItem(item);
  }
  return true;
}

bool WinIOMessagePump::TakeSavedItem(IOHandler* filter, IOItem* item) {
  auto it = std::find_if(saved_items_.begin(), saved_items_.end(), [filter](const IOItem& saved) {
    return !filter || saved.handler == filter;
  });
  if (it == saved_items_.end()) return false;
  *item = *it;
  saved_items_.erase(it);
  return true;
}

bool WinIOMessagePump::GetIOItem(DWORD timeout_ms, IOItem* item) {
  DWORD bytes = 0;
  ULONG_PTR key = 0;
  OVERLAPPED* overlapped = nullptr;
  if (!::GetQueuedCompletionStatus(port_.get(), &bytes, &key, &overlapped, timeout_ms)) {
    if (!overlapped) return false;  // timed out, or the port is unusable
    item->error = ::GetLastError();
    bytes = 0;
  }
  item->handler = reinterpret_cast<IOHandler*>(key);
  item->context = reinterpret_cast<IOContext*>(overlapped);
  item->bytes_transferred = bytes;
  return true;
}

bool WinIOMessagePump::IsWakePacket(const IOItem& item) const {
  const void* self = this;
  return static_cast<const void*>(item.handler) == self &&
         static_cast<const void*>(item.context) == self;
}

void WinIOMessagePump::HandleItem(const IOItem& item) {
  observers_.Notify([](IOObserver& observer) { observer.WillHandleIO(); });
  item.handler->OnIOCompleted(item.context, item.bytes_transferred, item.error);
  observers_.Notify([](IOObserver& observer) { observer.DidHandleIO(); });
}

}  // namespace nbase
