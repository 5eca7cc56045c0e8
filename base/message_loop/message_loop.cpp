#include "base/message_loop/message_loop.h"

#include <utility>

#include "base/message_loop/default_message_pump.h"
#include "base/message_loop/message_loop_proxy.h"
#include "base/message_loop/win_message_pump.h"
#include "base/thread/lazy_tls_slot.h"

namespace nbase {

namespace {

LazyTlsSlot g_current_loop;

// Closures that post new tasks from their destructors get this many rounds to settle.
constexpr int kMaxDeletionRounds = 100;

}  // namespace

MessageLoop::MessageLoop()
    : MessageLoop(MessageLoopKind::Default, std::make_shared<DefaultMessagePump>()) {}

MessageLoop::MessageLoop(MessageLoopKind kind, std::shared_ptr<MessagePump> pump)
    : kind_(kind), pump_(std::move(pump)) {
  g_current_loop.Set(this);
  proxy_ = MessageLoopProxy::Create(this);
}

MessageLoop::~MessageLoop() {
  for (int round = 0; round < kMaxDeletionRounds; ++round) {
    DeletePendingTasks();
    ReloadWorkQueue();
    if (!DeletePendingTasks()) {
      AutoLock hold(&incoming_lock_);
      if (incoming_queue_.empty()) break;
    }
  }
  destruction_observers_.Notify([](DestructionObserver& observer) { observer.OnLoopDestroying(); });
  // From here on the proxy refuses posts and destroys their closures itself.
  proxy_->DetachLoop();
  proxy_.reset();
  g_current_loop.Set(nullptr);
  // Whatever outlasted the rounds goes now; posts made by those closures' destructors are
  // refused by the detached proxy.
  std::deque<QueuedTask> leftovers;
  {
    AutoLock hold(&incoming_lock_);
    leftovers.swap(incoming_queue_);
  }
  leftovers.clear();
  DeletePendingTasks();
  pump_.reset();
}

MessageLoop* MessageLoop::current() { return static_cast<MessageLoop*>(g_current_loop.Get()); }

void MessageLoop::Post(StdClosure task) { PostTask(std::move(task), TickTime(), true); }

void MessageLoop::PostDelayed(StdClosure task, TickTime delay) {
  PostTask(std::move(task), delay, true);
}

void MessageLoop::PostNonNestable(StdClosure task) {
  PostTask(std::move(task), TickTime(), false);
}

void MessageLoop::PostNonNestableDelayed(StdClosure task, TickTime delay) {
  PostTask(std::move(task), delay, false);
}

void MessageLoop::PostTask(StdClosure task, TickTime delay, bool nestable) {
  QueuedTask queued;
  queued.run_time = delay.is_null() ? TickTime() : TickTime::Now() + delay;
  queued.nestable = nestable;
  queued.closure = std::move(task);
  QueueTask(std::move(queued));
}

void MessageLoop::QueueTask(QueuedTask task) {
  std::shared_ptr<MessagePump> pump;
  {
    AutoLock hold(&incoming_lock_);
    const bool was_empty = incoming_queue_.empty();
    incoming_queue_.push_back(std::move(task));
    // A non-empty queue already has its wake pending.
    if (!was_empty) return;
    pump = pump_;
  }
  pump->Wake();
}

void MessageLoop::Run(Dispatcher* dispatcher) {
  RunState state;
  state.depth = state_ ? state_->depth + 1 : 1;
  state.dispatcher = dispatcher;
  RunState* previous = state_;
  state_ = &state;
  if (dispatcher && kind_ == MessageLoopKind::UI) {
    static_cast<WinMessagePump*>(pump_.get())->RunWithDispatcher(this, dispatcher);
  } else {
    pump_->Run(this);
  }
  state_ = previous;
}

void MessageLoop::Quit() {
  if (state_) state_->quit_received = true;
}

int MessageLoop::run_depth() const { return state_ ? state_->depth : 0; }

void MessageLoop::ReloadWorkQueue() {
  if (!work_queue_.empty()) return;
  AutoLock hold(&incoming_lock_);
  work_queue_.swap(incoming_queue_);
}

void MessageLoop::AddToDelayedQueue(QueuedTask task) {
  const TickTime run_time = task.run_time;
  if (delayed_queue_.Push(std::move(task))) pump_->SetDelayedWakeTime(run_time);
}

void MessageLoop::RunTask(QueuedTask& task) {
  nestable_tasks_allowed_ = false;
  task_observers_.Notify([](TaskObserver& observer) { observer.WillRunTask(); });
  // A task must not throw; one that does is ended here so the loop and the OS frames
  // below it (window procedures of modal loops) are never unwound through.
  try {
    task.closure();
  } catch (...) {
  }
  task_observers_.Notify([](TaskObserver& observer) { observer.DidRunTask(); });
  nestable_tasks_allowed_ = true;
}

bool MessageLoop::DeferOrRun(QueuedTask task) {
  if (task.nestable || run_depth() == 1) {
    RunTask(task);
    return true;
  }
  deferred_queue_.push_back(std::move(task));
  return false;
}

bool MessageLoop::ProcessWork() {
  if (!nestable_tasks_allowed_) return false;
  ReloadWorkQueue();
  while (!work_queue_.empty()) {
    QueuedTask task = std::move(work_queue_.front());
    work_queue_.pop_front();
    if (!task.run_time.is_null()) {
      AddToDelayedQueue(std::move(task));
    } else if (DeferOrRun(std::move(task))) {
      return true;  // one immediate task per call: the pump checks its OS queue between
    }
    ReloadWorkQueue();
  }
  return false;
}

bool MessageLoop::ProcessDelayedWork(TickTime* next_wake) {
  if (!nestable_tasks_allowed_ || delayed_queue_.empty()) {
    recent_time_ = TickTime();
    *next_wake = TickTime();
    return false;
  }
  const TickTime run_time = delayed_queue_.Top().run_time;
  if (run_time > recent_time_) {
    recent_time_ = TickTime::Now();
    if (run_time > recent_time_) {
      *next_wake = run_time;
      return false;
    }
  }
  QueuedTask task = delayed_queue_.Pop();
  if (!delayed_queue_.empty()) *next_wake = delayed_queue_.Top().run_time;
  return DeferOrRun(std::move(task));
}

bool MessageLoop::ProcessIdleWork() {
  if (run_depth() == 1 && !deferred_queue_.empty()) {
    QueuedTask task = std::move(deferred_queue_.front());
    deferred_queue_.pop_front();
    RunTask(task);
    return true;
  }
  if (state_ && state_->quit_received) pump_->Quit();
  return false;
}

bool MessageLoop::DeletePendingTasks() {
  bool found = false;
  while (!work_queue_.empty()) {
    QueuedTask task = std::move(work_queue_.front());
    work_queue_.pop_front();
    found = true;
    if (!task.run_time.is_null()) delayed_queue_.Push(std::move(task));
  }
  while (!deferred_queue_.empty()) {
    deferred_queue_.pop_front();
    found = true;
  }
  while (!delayed_queue_.empty()) {
    delayed_queue_.Pop();
    found = true;
  }
  return found;
}

bool PostToCurrentLoop(StdClosure task) {
  MessageLoop* loop = MessageLoop::current();
  if (!loop) return false;
  loop->Post(std::move(task));
  return true;
}

}  // namespace nbase
