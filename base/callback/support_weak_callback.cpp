#include "base/callback/support_weak_callback.h"

namespace nbase {

std::weak_ptr<WeakFlag> SupportWeakCallback::GetWeakFlag() {
  if (!flag_) flag_ = std::make_shared<WeakFlag>();
  return flag_;
}

}  // namespace nbase
