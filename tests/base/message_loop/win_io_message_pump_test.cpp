#include "base/message_loop/win_io_message_pump.h"

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/io_message_loop.h"
#include "base/message_loop/message_loop_proxy.h"
#include "base/win/scoped_handle.h"
#include "tests/base/deadline.h"
#include "tests/base/loop_test_support.h"

namespace nbase {
namespace {

using nbase_test::Deadline;
using nbase_test::RunWithDeadline;
using Order = std::vector<std::string>;

// Both ends of a fresh named pipe: the server end for overlapped reads through the
// port, the client end for plain writes.
struct Pipe {
  Pipe() {
    static int count = 0;
    const std::wstring name = L"\\\\.\\pipe\\qm_io_pump_test_" +
                              std::to_wstring(::GetCurrentProcessId()) + L"_" +
                              std::to_wstring(++count);
    server.reset(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                    PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    client.reset(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  }
  bool Write(const std::string& text) {
    DWORD written = 0;
    return ::WriteFile(client.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                       nullptr) &&
           written == text.size();
  }
  win::ScopedHandle server;
  win::ScopedHandle client;
};

class Reader : public WinIOMessagePump::IOHandler {
 public:
  Reader(const char* name, Order* order) : name_(name), order_(order) {}

  // Starts an overlapped read; the completion comes back through the port.
  bool StartRead(HANDLE pipe) {
    context_.handler = this;
    const BOOL done = ::ReadFile(pipe, buffer_, sizeof(buffer_), nullptr, &context_.overlapped);
    return done || ::GetLastError() == ERROR_IO_PENDING;
  }

  void OnIOCompleted(WinIOMessagePump::IOContext* context, uint32_t bytes, uint32_t error) override {
    on_loop_thread = MessageLoop::current() != nullptr;
    EXPECT_EQ(context, &context_);
    EXPECT_EQ(error, 0u);
    order_->push_back(name_ + ":" + std::string(buffer_, bytes));
  }

  bool on_loop_thread = false;

 private:
  std::string name_;
  Order* order_;
  WinIOMessagePump::IOContext context_;
  char buffer_[64] = {};
};

class RecordingIOObserver : public WinIOMessagePump::IOObserver {
 public:
  explicit RecordingIOObserver(Order* order) : order_(order) {}
  void WillHandleIO() override { order_->push_back("will"); }
  void DidHandleIO() override { order_->push_back("did"); }

 private:
  Order* order_;
};

TEST(WinIOMessagePumpTest, CompletionsReachTheirHandlerOnTheLoopThread) {
  Deadline deadline(30);
  IOMessageLoop loop;
  Order order;
  RecordingIOObserver observer(&order);
  loop.io_pump()->AddObserver(&observer);
  Pipe pipe;
  ASSERT_TRUE(pipe.server && pipe.client);
  Reader reader("reader", &order);
  ASSERT_TRUE(loop.RegisterIOHandler(pipe.server.get(), &reader));
  ASSERT_TRUE(reader.StartRead(pipe.server.get()));
  loop.Post([&] { pipe.Write("hello"); });
  loop.Post([&] {
    // Quit once the completion has been handled.
    struct Poll {
      static void Check(Order* order) {
        if (order->size() >= 3) {
          MessageLoop::current()->Quit();
          return;
        }
        MessageLoop::current()->PostDelayed([order] { Check(order); },
                                            TickTime::FromMilliseconds(2));
      }
    };
    Poll::Check(&order);
  });
  RunWithDeadline(&loop);
  loop.io_pump()->RemoveObserver(&observer);
  EXPECT_EQ(order, (Order{"will", "reader:hello", "did"}));
  EXPECT_TRUE(reader.on_loop_thread);
}

TEST(WinIOMessagePumpTest, AFilteredWaitSavesOtherHandlersCompletionsForLater) {
  Deadline deadline(30);
  IOMessageLoop loop;
  Order order;
  Pipe first_pipe, second_pipe;
  Reader first("first", &order), second("second", &order);
  ASSERT_TRUE(loop.RegisterIOHandler(first_pipe.server.get(), &first));
  ASSERT_TRUE(loop.RegisterIOHandler(second_pipe.server.get(), &second));
  ASSERT_TRUE(first.StartRead(first_pipe.server.get()));
  ASSERT_TRUE(second.StartRead(second_pipe.server.get()));
  ASSERT_TRUE(first_pipe.Write("one"));
  ASSERT_TRUE(second_pipe.Write("two"));
  // Waiting for the second handler takes the first one's completion off the port and
  // keeps it; the next unfiltered wait hands it out.
  while (order.empty()) ASSERT_TRUE(loop.io_pump()->WaitForIOCompletion(5000, &second));
  EXPECT_EQ(order, (Order{"second:two"}));
  ASSERT_TRUE(loop.io_pump()->WaitForIOCompletion(0, nullptr));
  EXPECT_EQ(order, (Order{"second:two", "first:one"}));
  EXPECT_FALSE(loop.io_pump()->WaitForIOCompletion(0, nullptr));
}

TEST(WinIOMessagePumpTest, ACompletionWhoseHandlerWentAwayIsDropped) {
  Deadline deadline(30);
  IOMessageLoop loop;
  Order order;
  Pipe pipe;
  Reader reader("reader", &order);
  ASSERT_TRUE(loop.RegisterIOHandler(pipe.server.get(), &reader));
  // A context whose handler has gone: the pump deletes it when its completion arrives.
  auto* orphan = new WinIOMessagePump::IOContext;
  char buffer[16];
  const BOOL done = ::ReadFile(pipe.server.get(), buffer, sizeof(buffer), nullptr,
                               &orphan->overlapped);
  ASSERT_TRUE(done || ::GetLastError() == ERROR_IO_PENDING);
  ASSERT_TRUE(pipe.Write("lost"));
  ASSERT_TRUE(loop.io_pump()->WaitForIOCompletion(5000, nullptr));
  EXPECT_TRUE(order.empty());
}

TEST(WinIOMessagePumpTest, AWakeFromAnotherThreadEndsAnIdleWait) {
  Deadline deadline(30);
  IOMessageLoop loop;
  std::shared_ptr<MessageLoopProxy> proxy = loop.proxy();
  bool ran = false;
  std::thread poster([proxy, &ran] {
    proxy->Post([&ran] {
      ran = true;
      MessageLoop::current()->Quit();
    });
  });
  RunWithDeadline(&loop);
  poster.join();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace nbase
