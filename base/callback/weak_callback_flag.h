// A cancellable liveness flag for one operation of an object (one timer, one delayed
// action): a member of the object, so its callbacks also expire with the object.
//
// Threads: like SupportWeakCallback, used on its owner's thread only.
#pragma once

#include "base/callback/support_weak_callback.h"

namespace nbase {

class WeakCallbackFlag : public SupportWeakCallback {
 public:
  // Callbacks made before do nothing from now on; callbacks made after are live.
  void Cancel() { ReleaseWeakFlag(); }
};

}  // namespace nbase
