// What a running framework thread knows about itself, kept in a thread-local slot from
// the start of its body to the end.
//
// Threads: each record is touched only by its own thread (and by the registry, under
// the registry's lock, on that same thread).
#pragma once

namespace nbase {

class FrameworkThread;

struct FrameworkThreadRecord {
  FrameworkThread* owner = nullptr;
  int managed_count = 0;  // RegisterThread calls not yet undone
  int identifier = -1;    // bound in the registry; -1 when none
};

// The calling thread's record, or null when it runs no framework thread.
FrameworkThreadRecord* CurrentFrameworkThreadRecord();
void SetCurrentFrameworkThreadRecord(FrameworkThreadRecord* record);

}  // namespace nbase
