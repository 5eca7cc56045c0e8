// The installer's UI thread, run on the process's main thread with a UI loop. Its Init
// (before the loop runs) registers it as thread 0, starts the misc thread, opens the
// packaged resources, starts the UI framework and shows the setup window; its Cleanup
// (after the loop ended) undoes these in reverse. When the setup window cannot be shown,
// nothing could ever end the loop, so Init makes it end at once instead of leaving an
// invisible process that holds the single-instance mutex.
//
// Threads: everything on the UI thread; owns the misc thread and stops it in Cleanup.
#pragma once

#include <memory>

#include "base/thread/framework_thread.h"
#include "installer/main/misc_thread.h"

// Registry identifiers of the installer's two framework threads.
constexpr int kUiThreadId = 0;
constexpr int kMiscThreadId = 1;

class MainThread : public nbase::FrameworkThread {
 public:
  MainThread();
  ~MainThread() override;

 private:
  void Init() override;
  void Cleanup() override;

  std::unique_ptr<MiscThread> misc_thread_;
};
