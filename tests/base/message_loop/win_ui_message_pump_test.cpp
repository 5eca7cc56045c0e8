#include "base/message_loop/win_ui_message_pump.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop_proxy.h"
#include "base/message_loop/ui_message_loop.h"
#include "tests/base/deadline.h"
#include "tests/base/loop_test_support.h"

namespace nbase {
namespace {

using nbase_test::Deadline;
using nbase_test::RunWithDeadline;
using nbase_test::TestWindow;
using Order = std::vector<std::string>;

constexpr UINT kShowModal = WM_APP + 1;

class WinUIMessagePumpTest : public testing::Test {
 protected:
  Deadline deadline_{60};
  UIMessageLoop loop_;
  Order order_;
};

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

TEST_F(WinUIMessagePumpTest, HasAHiddenMessageOnlyWindowOfItsClass) {
  const HWND window = loop_.ui_pump()->message_window();
  ASSERT_TRUE(::IsWindow(window));
  EXPECT_EQ(ClassOf(window), L"OrielMessagePumpWindow");
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_NE(::FindWindowExW(HWND_MESSAGE, nullptr, L"OrielMessagePumpWindow", nullptr), nullptr);
  {
    // A second pump on another thread shares the class; its going away leaves ours usable.
    std::thread([] { UIMessageLoop other; }).join();
  }
  loop_.Post([] { MessageLoop::current()->Quit(); });
  RunWithDeadline(&loop_);
  EXPECT_TRUE(::IsWindow(window));
}

TEST(WinUIMessagePumpLifetimeTest, TheHiddenWindowGoesWithThePump) {
  Deadline deadline(30);
  HWND window = nullptr;
  {
    UIMessageLoop loop;
    window = loop.ui_pump()->message_window();
    ASSERT_TRUE(::IsWindow(window));
  }
  EXPECT_FALSE(::IsWindow(window));
}

// A handler that runs a modal loop of its own, as the OS does for menus and dialogs: it
// dispatches messages until told to stop. Tasks must keep running inside it.
class ModalLoopTest : public WinUIMessagePumpTest {
 protected:
  void RunModalLoopFromHandler(const std::function<void()>& post_tasks) {
    TestWindow window([&](UINT message, WPARAM, LPARAM) {
      if (message != kShowModal) return false;
      order_.push_back("modal loop begins");
      post_tasks();
      MSG msg;
      while (!modal_done_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
      order_.push_back("modal loop ends");
      loop_.Post([] { MessageLoop::current()->Quit(); });
      return true;
    });
    ::PostMessageW(window.get(), kShowModal, 0, 0);
    RunWithDeadline(&loop_);
  }
  StdClosure EndModal(const std::string& name) {
    return [this, name] {
      order_.push_back(name);
      modal_done_ = true;
    };
  }
  bool modal_done_ = false;
};

TEST_F(ModalLoopTest, ImmediateTasksRunInsideAModalLoopOfAHandler) {
  RunModalLoopFromHandler([&] {
    loop_.Post([&] { order_.push_back("task 1"); });
    loop_.Post(EndModal("task 2"));
  });
  EXPECT_EQ(order_, (Order{"modal loop begins", "task 1", "task 2", "modal loop ends"}));
  EXPECT_EQ(loop_.run_depth(), 0);
}

TEST_F(ModalLoopTest, NonNestableTasksRunThereTooSinceTheDepthStaysOne) {
  RunModalLoopFromHandler([&] {
    loop_.PostNonNestable([&] { order_.push_back("non-nestable"); });
    loop_.Post(EndModal("nestable"));
  });
  EXPECT_EQ(order_, (Order{"modal loop begins", "non-nestable", "nestable", "modal loop ends"}));
}

TEST_F(ModalLoopTest, DelayedTasksRunThereThroughTheTimer) {
  RunModalLoopFromHandler([&] {
    loop_.PostDelayed(EndModal("delayed 2"), TickTime::FromMilliseconds(40));
    loop_.PostDelayed([&] { order_.push_back("delayed 1"); }, TickTime::FromMilliseconds(15));
  });
  EXPECT_EQ(order_, (Order{"modal loop begins", "delayed 1", "delayed 2", "modal loop ends"}));
}

// The message box of this thread, if one is showing.
HWND FindThreadMessageBox(const wchar_t* title) {
  struct Search {
    const wchar_t* title;
    HWND found;
  } search{title, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t text[128] = {};
        ::GetWindowTextW(window, text, 128);
        if (ClassOf(window) == L"#32770" && std::wstring(text) == s->title) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Closes this thread's message box once it shows, looking again on the loop until then.
void CloseMessageBoxWhenShown(MessageLoop* loop, const wchar_t* title, Order* order) {
  if (HWND box = FindThreadMessageBox(title)) {
    order->push_back("task closes the box");
    ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  loop->PostDelayed([=] { CloseMessageBoxWhenShown(loop, title, order); },
                    TickTime::FromMilliseconds(5));
}

TEST_F(WinUIMessagePumpTest, AMessageBoxOfAHandlerIsClosedByATaskPostedBeforeIt) {
  static const wchar_t* const kTitle = L"qm pump test: closed by a task";
  int answer = 0;
  TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message != kShowModal) return false;
    loop_.Post([&] { CloseMessageBoxWhenShown(&loop_, kTitle, &order_); });
    order_.push_back("box shows");
    answer = ::MessageBoxW(nullptr, L"closed by a posted task", kTitle, MB_OKCANCEL);
    order_.push_back("box closed");
    loop_.Post([] { MessageLoop::current()->Quit(); });
    return true;
  });
  ::PostMessageW(window.get(), kShowModal, 0, 0);
  RunWithDeadline(&loop_);
  EXPECT_EQ(answer, IDCANCEL);
  EXPECT_EQ(order_, (Order{"box shows", "task closes the box", "box closed"}));
}

TEST_F(WinUIMessagePumpTest, AMessageBoxShownByATaskHoldsBackOtherTasks) {
  static const wchar_t* const kTitle = L"qm pump test: shown by a task";
  constexpr UINT kCheck = WM_APP + 2;
  bool later_task_ran = false;
  bool later_ran_while_box_showed = true;
  // Dispatched by the box's own loop after the later task's wake: had the pump run the
  // later task there, it would have run by now.
  TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message != kCheck) return false;
    later_ran_while_box_showed = later_task_ran;
    ::PostMessageW(FindThreadMessageBox(kTitle), WM_COMMAND, IDCANCEL, 0);
    return true;
  });
  const DWORD loop_thread = ::GetCurrentThreadId();
  std::thread closer;
  loop_.Post([&] {
    loop_.Post([&] {
      later_task_ran = true;
      MessageLoop::current()->Quit();
    });
    closer = std::thread([&, loop_thread] {
      const bool shown = nbase_test::WaitUntil(
          [&] {
            HWND box = ::FindWindowW(L"#32770", kTitle);
            return box && ::GetWindowThreadProcessId(box, nullptr) == loop_thread &&
                   ::IsWindowVisible(box);
          },
          20);
      if (shown) ::PostMessageW(window.get(), kCheck, 0, 0);
    });
    ::MessageBoxW(nullptr, L"shown by a task", kTitle, MB_OKCANCEL);
  });
  RunWithDeadline(&loop_);
  closer.join();
  EXPECT_FALSE(later_ran_while_box_showed);
  EXPECT_TRUE(later_task_ran);
}

class RecordingDispatcher : public Dispatcher {
 public:
  bool Dispatch(const MSG& message) override {
    if (message.message == WM_APP) seen.push_back(static_cast<int>(message.wParam));
    return !(message.message == WM_APP && message.wParam == 0);
  }
  std::vector<int> seen;
};

TEST_F(WinUIMessagePumpTest, ADispatcherSeesTheMessagesAndEndsTheRunByRefusingOne) {
  RecordingDispatcher dispatcher;
  TestWindow window([](UINT, WPARAM, LPARAM) { return false; });
  for (WPARAM value : {3, 2, 1, 0}) ::PostMessageW(window.get(), WM_APP, value, 0);
  loop_.Run(&dispatcher);
  EXPECT_EQ(dispatcher.seen, (std::vector<int>{3, 2, 1, 0}));
}

TEST(WinUIMessagePumpQuitTest, WmQuitEndsTheRunAndStaysForOuterLoops) {
  Deadline deadline(30);
  nbase_test::RunOnFreshThread([] {
    UIMessageLoop loop;
    loop.Post([] { ::PostQuitMessage(7); });
    loop.Run();
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
  });
}

class RecordingUIObserver : public WinUIMessagePump::UIObserver {
 public:
  explicit RecordingUIObserver(Order* order) : order_(order) {}
  void WillDispatchMessage(const MSG& message) override {
    if (message.message == WM_APP) order_->push_back("will");
  }
  void DidDispatchMessage(const MSG& message) override {
    if (message.message == WM_APP) order_->push_back("did");
  }

 private:
  Order* order_;
};

TEST_F(WinUIMessagePumpTest, UIObserversSurroundEveryDispatch) {
  RecordingUIObserver observer(&order_);
  loop_.ui_pump()->AddObserver(&observer);
  TestWindow window([&](UINT message, WPARAM, LPARAM) {
    if (message != WM_APP) return false;
    order_.push_back("handled");
    loop_.Post([] { MessageLoop::current()->Quit(); });
    return true;
  });
  ::PostMessageW(window.get(), WM_APP, 0, 0);
  RunWithDeadline(&loop_);
  loop_.ui_pump()->RemoveObserver(&observer);
  EXPECT_EQ(order_, (Order{"will", "handled", "did"}));
}

// Counts the wake messages the thread takes off its queue.
std::atomic<int> g_wake_messages{0};
HWND g_counted_window = nullptr;

LRESULT CALLBACK CountWakeMessages(int code, WPARAM wparam, LPARAM lparam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lparam);
  if (code == HC_ACTION && wparam == PM_REMOVE && msg->hwnd == g_counted_window &&
      msg->message == WinUIMessagePump::kWakeMessage) {
    g_wake_messages.fetch_add(1);
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(WinUIMessagePumpTest, ABurstOfPostsLeavesOneWakeMessageInTheQueue) {
  g_counted_window = loop_.ui_pump()->message_window();
  HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, &CountWakeMessages, nullptr,
                                   ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  std::shared_ptr<MessageLoopProxy> proxy = loop_.proxy();
  int delivered = 0;
  int wakes_before_burst = 0;
  loop_.Post([&] {
    wakes_before_burst = g_wake_messages.load();
    std::vector<std::thread> posters;
    for (int p = 0; p < 4; ++p) {
      posters.emplace_back([&] {
        for (int i = 0; i < 2000; ++i) proxy->Post([&delivered] { ++delivered; });
      });
    }
    for (std::thread& poster : posters) poster.join();
    proxy->Post([] { MessageLoop::current()->Quit(); });
  });
  RunWithDeadline(&loop_);
  ::UnhookWindowsHookEx(hook);
  EXPECT_EQ(delivered, 8000);
  EXPECT_EQ(g_wake_messages.load() - wakes_before_burst, 1);
}

}  // namespace
}  // namespace nbase
