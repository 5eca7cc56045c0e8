// A lock over a Win32 critical section (spin count 2000), usable with std::lock_guard.
// It holds an OS object at a fixed address: neither copied nor moved.
#pragma once

#include <windows.h>

class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSectionAndSpinCount(&section_, 2000); }
  ~CriticalSection() { ::DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void lock() { ::EnterCriticalSection(&section_); }
  void unlock() { ::LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};
