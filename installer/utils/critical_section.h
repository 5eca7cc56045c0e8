// A critical section with the project's spin count, and the guard that holds it for a
// scope. Windows only.
//
// Threads: any thread may enter; entering is re-entrant on the owning thread. A lock
// that workers may still use while the process exits is created with `new` and never
// deleted.
#pragma once

#include <windows.h>

class CriticalSection {
 public:
  CriticalSection() noexcept { ::InitializeCriticalSectionAndSpinCount(&section_, 2000); }
  ~CriticalSection() { ::DeleteCriticalSection(&section_); }
  // The OS keeps pointers into the object while it is held.
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter() noexcept { ::EnterCriticalSection(&section_); }
  void Leave() noexcept { ::LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class CriticalSectionHold {
 public:
  explicit CriticalSectionHold(CriticalSection& lock) noexcept : lock_(lock) { lock_.Enter(); }
  ~CriticalSectionHold() { lock_.Leave(); }
  CriticalSectionHold(const CriticalSectionHold&) = delete;
  CriticalSectionHold& operator=(const CriticalSectionHold&) = delete;

 private:
  CriticalSection& lock_;
};
