#include "base/thread/thread.h"

#include <process.h>

namespace nbase {

Thread::~Thread() { Close(); }

bool Thread::Create() {
  unsigned id = 0;
  const uintptr_t handle = ::_beginthreadex(nullptr, 0, &ThreadMain, this, 0, &id);
  if (handle < 2) return false;
  handle_.reset(reinterpret_cast<HANDLE>(handle));
  thread_id_.store(id);
  int os_priority = 0;
  if (OsThreadPriority(priority_, &os_priority)) ::SetThreadPriority(handle_.get(), os_priority);
  return true;
}

void Thread::Close() {
  if (!handle_) return;
  if (::WaitForSingleObject(handle_.get(), INFINITE) != WAIT_OBJECT_0) {
    ::TerminateThread(handle_.get(), 0);
  }
  handle_.reset();
  thread_id_.store(0);
}

unsigned __stdcall Thread::ThreadMain(void* self) {
  // Nothing may unwind out of a thread procedure.
  try {
    static_cast<Thread*>(self)->Run();
  } catch (...) {
  }
  return 0;
}

}  // namespace nbase
