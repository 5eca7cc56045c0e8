#include "installer/main/main_thread.h"

#include "base/message_loop/message_loop.h"
#include "base/thread/thread_registry.h"
#include "installer/main/setup_ui.h"
#include "installer/utils/logger.h"

MainThread::MainThread() : FrameworkThread("MainThread") {}

MainThread::~MainThread() = default;

void MainThread::Init() {
  nbase::ThreadRegistry::RegisterThread(kUiThreadId);
  misc_thread_ = std::make_unique<MiscThread>(kMiscThreadId, "Global Misc Thread");
  misc_thread_->Start();
  OpenPackagedResources();
  StartUiFramework();
  if (!ShowSetupWindow()) {
    QLOG(LV_ERR, L"app: no setup window, end message loop");
    message_loop()->Post([] { nbase::MessageLoop::current()->Quit(); });
  }
}

void MainThread::Cleanup() {
  StopUiFramework();
  if (misc_thread_) {
    misc_thread_->Stop();
    misc_thread_.reset();
  }
  nbase::ThreadRegistry::UnregisterThread();
}
