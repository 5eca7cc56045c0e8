#include "base/thread/framework_thread.h"

#include "base/message_loop/io_message_loop.h"
#include "base/message_loop/message_loop_proxy.h"
#include "base/message_loop/ui_message_loop.h"
#include "base/thread/framework_thread_record.h"

namespace nbase {

FrameworkThread::FrameworkThread(const char* name)
    : started_event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)), name_(name ? name : "") {}

FrameworkThread::~FrameworkThread() {
  Stop();
  loop_factory_.reset();
}

bool FrameworkThread::StartWithLoop(MessageLoopKind kind) {
  if (message_loop_ || running_) return false;
  loop_kind_ = kind;
  dispatcher_ = nullptr;
  if (!Create()) return false;
  ::WaitForSingleObject(started_event_.get(), INFINITE);
  running_ = true;
  return true;
}

void FrameworkThread::RunOnCurrentThread(MessageLoopKind kind, Dispatcher* dispatcher) {
  loop_kind_ = kind;
  dispatcher_ = dispatcher;
  running_ = true;
  Run();
  proxy_.reset();
}

void FrameworkThread::Stop() {
  if (!running_) return;
  // Through the proxy: a loop that already ended on its own refuses the task instead of
  // being touched after it is gone.
  if (!stopping_ && proxy_) {
    stopping_ = true;
    proxy_->PostNonNestable(Bind(&FrameworkThread::StopSoon, this));
  }
  Close();
  proxy_.reset();
  running_ = false;
  stopping_ = false;
}

void FrameworkThread::StopSoon() {
  if (MessageLoop* loop = MessageLoop::current()) loop->Quit();
}

std::unique_ptr<MessageLoop> FrameworkThread::CreateMessageLoop() {
  switch (loop_kind_) {
    case MessageLoopKind::UI:
      return std::make_unique<UIMessageLoop>();
    case MessageLoopKind::IO:
      return std::make_unique<IOMessageLoop>();
    case MessageLoopKind::Custom:
      if (loop_factory_) {
        if (std::unique_ptr<MessageLoop> loop = loop_factory_->CreateMessageLoop()) return loop;
      }
      return std::make_unique<MessageLoop>();
    case MessageLoopKind::Default:
      break;
  }
  return std::make_unique<MessageLoop>();
}

void FrameworkThread::Run() {
  std::unique_ptr<FrameworkThreadRecord> own_record;
  if (!CurrentFrameworkThreadRecord()) {
    own_record = std::make_unique<FrameworkThreadRecord>();
    own_record->owner = this;
    SetCurrentFrameworkThreadRecord(own_record.get());
  }
  set_thread_id(::GetCurrentThreadId());
  message_loop_ = CreateMessageLoop();
  proxy_ = message_loop_->proxy();
  Init();
  ::SetEvent(started_event_.get());
  message_loop_->Run(dispatcher_);
  Cleanup();
  message_loop_.reset();
  set_thread_id(0);
  if (own_record) SetCurrentFrameworkThreadRecord(nullptr);
}

}  // namespace nbase
