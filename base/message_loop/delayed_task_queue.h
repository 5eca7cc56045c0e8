// The delayed tasks of a loop, as a binary heap: the top is the task with the smallest
// run time and, among equal run times, the one that entered the queue first.
//
// Threads: owned by the loop's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/message_loop/queued_task.h"

namespace nbase {

class DelayedTaskQueue {
 public:
  // Stamps the next sequence on the task and adds it; true when it became the top.
  bool Push(QueuedTask task);
  const QueuedTask& Top() const { return heap_.front(); }
  QueuedTask Pop();
  bool empty() const { return heap_.empty(); }
  size_t size() const { return heap_.size(); }

 private:
  std::vector<QueuedTask> heap_;
  int32_t next_sequence_ = 0;
};

}  // namespace nbase
