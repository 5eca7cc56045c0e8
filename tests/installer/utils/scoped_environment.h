// Sets an environment variable of this process for a scope and restores the previous
// state afterwards. Child processes started meanwhile inherit the value. Windows only.
#pragma once

#include <windows.h>

#include <string>

class ScopedEnvironment {
 public:
  ScopedEnvironment(const std::wstring& name, const std::wstring& value) : name_(name) {
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name.c_str(), buffer, 32768);
    had_value_ = length > 0 && length < 32768;
    if (had_value_) previous_.assign(buffer, length);
    ::SetEnvironmentVariableW(name.c_str(), value.c_str());
  }
  ~ScopedEnvironment() {
    ::SetEnvironmentVariableW(name_.c_str(), had_value_ ? previous_.c_str() : nullptr);
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  std::wstring previous_;
  bool had_value_ = false;
};
