// Thread priority codes and the OS priority each one stands for.
#pragma once

namespace nbase {

enum ThreadPriority {
  kThreadPriorityDefault = 0,  // leave the OS default alone
  kThreadPriorityLow = 1,
  kThreadPriorityNormal = 2,
  kThreadPriorityHigh = 3,
  kThreadPriorityRealtime = 4,
};

// The value for SetThreadPriority: lowest (-2) for Low, below normal (-1) for Normal and
// for any unknown positive code, highest (2) for High, time critical (15) for Realtime.
// False for codes of 0 or less, which leave the priority untouched.
bool OsThreadPriority(int code, int* os_priority);

}  // namespace nbase
