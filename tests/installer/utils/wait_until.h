// Waits for a condition that another process or thread makes true, with a deadline
// that fails the test instead of hanging it.
#pragma once

#include <chrono>
#include <thread>

template <typename Condition>
bool WaitUntil(Condition condition,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(30000)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}
