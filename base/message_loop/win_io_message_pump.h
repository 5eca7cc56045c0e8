// The pump of I/O threads: waits on an I/O completion port, which carries both the
// completions of files registered with it and the pump's own wake packets.
//
// Threads: everything but Wake on the pump's own thread; Wake from any thread, with at
// most one wake packet outstanding. Handlers run on the pump's thread.
//
// Ownership: an IOContext is allocated by whoever starts the overlapped operation and
// belongs to its handler once the operation is pending. A handler that goes away first
// clears `handler` in its pending contexts; the pump then deletes such a context when its
// completion arrives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <list>

#include "base/message_loop/win_message_pump.h"
#include "base/observer_list.h"
#include "base/win/scoped_handle.h"

namespace nbase {

class WinIOMessagePump : public WinMessagePump {
 public:
  class IOHandler;

  struct IOContext {
    OVERLAPPED overlapped = {};
    IOHandler* handler = nullptr;
  };

  class IOHandler {
   public:
    virtual ~IOHandler() = default;
    virtual void OnIOCompleted(IOContext* context, uint32_t bytes_transferred,
                               uint32_t error) = 0;
  };

  class IOObserver {
   public:
    virtual ~IOObserver() = default;
    virtual void WillHandleIO() = 0;
    virtual void DidHandleIO() = 0;
  };

  WinIOMessagePump();

  void Wake() override;
  void SetDelayedWakeTime(const TickTime& delayed_wake_time) override;

  // Routes the completions of `file` (opened for overlapped I/O) to `handler`.
  bool RegisterIOHandler(HANDLE file, IOHandler* handler);

  // Waits up to `timeout_ms` for one completion and handles it; with a filter, only a
  // completion of that handler is handled and others are saved for later. True when a
  // packet was taken (a wake, a saved completion or a handled one).
  bool WaitForIOCompletion(DWORD timeout_ms, IOHandler* filter);

  void AddObserver(IOObserver* observer) { observers_.AddObserver(observer); }
  void RemoveObserver(IOObserver* observer) { observers_.RemoveObserver(observer); }

 protected:
  void RunLoop() override;

 private:
  struct IOItem {
    IOHandler* handler = nullptr;
    IOContext* context = nullptr;
    uint32_t bytes_transferred = 0;
    uint32_t error = 0;
  };

  bool GetIOItem(DWORD timeout_ms, IOItem* item);
  bool TakeSavedItem(IOHandler* filter, IOItem* item);
  bool IsWakePacket(const IOItem& item) const;
  void HandleItem(const IOItem& item);

  win::ScopedHandle port_;
  std::list<IOItem> saved_items_;
  ObserverList<IOObserver> observers_;
};

}  // namespace nbase
