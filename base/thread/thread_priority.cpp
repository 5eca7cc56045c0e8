#include "base/thread/thread_priority.h"

namespace nbase {

bool OsThreadPriority(int code, int* os_priority) {
  if (code <= 0) return false;
  switch (code) {
    case kThreadPriorityLow:
      *os_priority = -2;
      break;
    case kThreadPriorityHigh:
      *os_priority = 2;
      break;
    case kThreadPriorityRealtime:
      *os_priority = 15;
      break;
    default:  // kThreadPriorityNormal too: below normal, so workers yield to the UI
      *os_priority = -1;
      break;
  }
  return true;
}

}  // namespace nbase
