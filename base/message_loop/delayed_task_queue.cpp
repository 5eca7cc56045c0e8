#include "base/message_loop/delayed_task_queue.h"

#include <algorithm>
#include <utility>

namespace nbase {

namespace {

// "Runs later than": the standard heap keeps the greatest element on top, so the order
// is reversed to bring the earliest task up.
bool RunsLater(const QueuedTask& a, const QueuedTask& b) {
  if (a.run_time != b.run_time) return a.run_time > b.run_time;
  return a.sequence > b.sequence;
}

}  // namespace

bool DelayedTaskQueue::Push(QueuedTask task) {
  const int32_t sequence = next_sequence_;
  // Wraps like the counter it is, without signed overflow.
  next_sequence_ = static_cast<int32_t>(static_cast<uint32_t>(next_sequence_) + 1u);
  task.sequence = sequence;
  heap_.push_back(std::move(task));
  std::push_heap(heap_.begin(), heap_.end(), RunsLater);
  return heap_.front().sequence == sequence;
}

QueuedTask DelayedTaskQueue::Pop() {
  std::pop_heap(heap_.begin(), heap_.end(), RunsLater);
  QueuedTask task = std::move(heap_.back());
  heap_.pop_back();
  return task;
}

}  // namespace nbase
