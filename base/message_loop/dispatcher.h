// An optional filter a UI loop's Run hands every window message to instead of
// translating and dispatching it itself.
#pragma once

#include <windows.h>

namespace nbase {

class Dispatcher {
 public:
  virtual ~Dispatcher() = default;
  // Handles one message; false ends the Run that was given this dispatcher.
  virtual bool Dispatch(const MSG& message) = 0;
};

}  // namespace nbase
