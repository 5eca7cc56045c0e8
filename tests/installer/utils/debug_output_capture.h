// Collects, while it lives, what this process sends to the debugger output channel.
// Windows only. The system raises a debug-print exception for every OutputDebugString
// call and handles it itself when no debugger is attached; a vectored exception handler
// sees it first and lets it pass on.
//
// Threads: any thread may print; the handler runs on the printing thread and appends
// under a lock. One capture at a time.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

class DebugOutputCapture {
 public:
  DebugOutputCapture() {
    active_ = this;
    handler_ = ::AddVectoredExceptionHandler(1, &DebugOutputCapture::Handler);
  }
  ~DebugOutputCapture() {
    ::RemoveVectoredExceptionHandler(handler_);
    active_ = nullptr;
  }
  // The handler keeps a pointer to this object.
  DebugOutputCapture(const DebugOutputCapture&) = delete;
  DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

  // Every text printed so far, narrow (the wide form is converted to UTF-8). A wide
  // print may be seen twice, once per form.
  std::vector<std::string> Texts() const {
    std::lock_guard<std::mutex> hold(lock_);
    return texts_;
  }

  bool Contains(const std::string& part) const {
    for (const std::string& text : Texts()) {
      if (text.find(part) != std::string::npos) return true;
    }
    return false;
  }

 private:
  static constexpr DWORD kPrint = 0x40010006;      // DBG_PRINTEXCEPTION_C
  static constexpr DWORD kPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C

  static LONG CALLBACK Handler(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    DebugOutputCapture* capture = active_;
    if (!capture || record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    std::string text;
    if (record->ExceptionCode == kPrint) {
      const char* chars = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
      if (chars) text = chars;
    } else if (record->ExceptionCode == kPrintWide) {
      const wchar_t* chars = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
      if (chars) {
        const int length = ::WideCharToMultiByte(CP_UTF8, 0, chars, -1, nullptr, 0, nullptr, nullptr);
        if (length > 1) {
          text.resize(static_cast<size_t>(length));
          ::WideCharToMultiByte(CP_UTF8, 0, chars, -1, &text[0], length, nullptr, nullptr);
          text.resize(static_cast<size_t>(length - 1));
        }
      }
    } else {
      return EXCEPTION_CONTINUE_SEARCH;
    }
    std::lock_guard<std::mutex> hold(capture->lock_);
    capture->texts_.push_back(text);
    return EXCEPTION_CONTINUE_SEARCH;
  }

  static inline DebugOutputCapture* active_ = nullptr;
  void* handler_ = nullptr;
  mutable std::mutex lock_;
  std::vector<std::string> texts_;
};
