// A loop that runs tasks on the one thread that created it. Tasks may be posted from any
// thread; they run in posting order, delayed ones when due, and non-nestable ones only in
// the outermost run. The waiting is left to the loop's pump.
//
// Threads: posting (Post...) and QueueTask from any thread; everything else on the
// loop's thread only. Other threads should post through proxy(), which stays safe to use
// after the loop is gone. One loop per thread; it is destroyed on its thread after its
// last Run returned.
//
// Re-entry: a task or a window message handler may call Run again (a nested run). While a
// task runs no other task starts, even inside a nested run or an OS modal loop; a nested
// run entered between tasks runs nestable tasks and defers non-nestable ones until the
// outermost run is idle.
#pragma once

#include <deque>
#include <memory>

#include "base/message_loop/delayed_task_queue.h"
#include "base/message_loop/message_pump.h"
#include "base/message_loop/queued_task.h"
#include "base/observer_list.h"
#include "base/synchronization/lock.h"
#include "base/time/tick_time.h"

namespace nbase {

class Dispatcher;
class MessageLoopProxy;

enum class MessageLoopKind : int { Default = 0, UI = 1, IO = 2, Custom = 3 };

class MessageLoop : public MessagePump::Delegate {
 public:
  class TaskObserver {
   public:
    virtual ~TaskObserver() = default;
    virtual void WillRunTask() = 0;
    virtual void DidRunTask() = 0;
  };

  class DestructionObserver {
   public:
    virtual ~DestructionObserver() = default;
    virtual void OnLoopDestroying() = 0;
  };

  // A loop over the default pump; it becomes the calling thread's current loop.
  MessageLoop();
  ~MessageLoop() override;
  // The pump and the thread slot keep pointers to the loop.
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The calling thread's loop, or null.
  static MessageLoop* current();

  // Delays are TickTime differences (microseconds).
  void Post(StdClosure task);
  void PostDelayed(StdClosure task, TickTime delay);
  void PostNonNestable(StdClosure task);
  void PostNonNestableDelayed(StdClosure task, TickTime delay);

  // Runs until Quit was called for this run and the loop is idle, or (UI loops) until
  // WM_QUIT arrives or the dispatcher refuses a message. Only a UI loop uses a dispatcher.
  void Run(Dispatcher* dispatcher = nullptr);
  // Asks the innermost active run to leave once idle; does nothing when not running.
  void Quit();

  MessageLoopKind kind() const { return kind_; }
  // 1 in the outermost run, more in nested ones, 0 when not running.
  int run_depth() const;
  // The handle other threads post through; it refuses posts once the loop is gone.
  std::shared_ptr<MessageLoopProxy> proxy() const { return proxy_; }
  MessagePump* pump() const { return pump_.get(); }

  // Set by code that knows the OS runs a modal loop of its own (a menu, a drag); the UI
  // pump then leaves input to that loop when it wakes for tasks.
  void set_os_modal_loop(bool os_modal_loop) { os_modal_loop_ = os_modal_loop; }
  bool os_modal_loop() const { return os_modal_loop_; }

  void AddTaskObserver(TaskObserver* observer) { task_observers_.AddObserver(observer); }
  void RemoveTaskObserver(TaskObserver* observer) { task_observers_.RemoveObserver(observer); }
  void AddDestructionObserver(DestructionObserver* observer) {
    destruction_observers_.AddObserver(observer);
  }
  void RemoveDestructionObserver(DestructionObserver* observer) {
    destruction_observers_.RemoveObserver(observer);
  }

  // MessagePump::Delegate, called by the pump on the loop's thread.
  bool ProcessWork() override;
  bool ProcessDelayedWork(TickTime* next_wake) override;
  bool ProcessIdleWork() override;

  // Adds a task to the incoming queue and wakes the pump when that queue was empty.
  virtual void QueueTask(QueuedTask task);

 protected:
  // For the loop kinds and for loops over a pump of their own.
  MessageLoop(MessageLoopKind kind, std::shared_ptr<MessagePump> pump);

 private:
  struct RunState {
    int depth = 1;
    bool quit_received = false;
    Dispatcher* dispatcher = nullptr;
  };

  void PostTask(StdClosure task, TickTime delay, bool nestable);
  void ReloadWorkQueue();
  void AddToDelayedQueue(QueuedTask task);
  void RunTask(QueuedTask& task);
  // Runs the task when allowed at this depth; otherwise defers it. True when it ran.
  bool DeferOrRun(QueuedTask task);
  // Destroys queued tasks unrun; true when any was found.
  bool DeletePendingTasks();

  const MessageLoopKind kind_;
  RunState* state_ = nullptr;
  std::shared_ptr<MessagePump> pump_;
  bool os_modal_loop_ = false;
  bool nestable_tasks_allowed_ = true;

  Lock incoming_lock_;
  std::deque<QueuedTask> incoming_queue_;  // guarded by incoming_lock_

  std::deque<QueuedTask> work_queue_;
  std::deque<QueuedTask> deferred_queue_;
  DelayedTaskQueue delayed_queue_;
  TickTime recent_time_;

  ObserverList<TaskObserver> task_observers_;
  ObserverList<DestructionObserver> destruction_observers_;
  std::shared_ptr<MessageLoopProxy> proxy_;
};

// Posts a nestable immediate task to the calling thread's loop; false when it has none.
bool PostToCurrentLoop(StdClosure task);

}  // namespace nbase
