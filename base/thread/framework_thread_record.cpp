#include "base/thread/framework_thread_record.h"

#include "base/thread/lazy_tls_slot.h"

namespace nbase {

namespace {

LazyTlsSlot g_current_record;

}  // namespace

FrameworkThreadRecord* CurrentFrameworkThreadRecord() {
  return static_cast<FrameworkThreadRecord*>(g_current_record.Get());
}

void SetCurrentFrameworkThreadRecord(FrameworkThreadRecord* record) {
  g_current_record.Set(record);
}

}  // namespace nbase
