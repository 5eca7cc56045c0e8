// The installer's idle worker thread ("Global Misc Thread"): a framework thread with a
// default loop that registers itself under its identifier while it runs. Nothing posts
// to it yet; it is there for background work that must not block the UI thread.
//
// Threads: constructed, started, stopped and destroyed on the UI thread; Init and
// Cleanup run on the misc thread itself.
#pragma once

#include "base/thread/framework_thread.h"

class MiscThread : public nbase::FrameworkThread {
 public:
  MiscThread(int identifier, const char* name);
  ~MiscThread() override;

 private:
  void Init() override;
  void Cleanup() override;

  const int identifier_;
};
