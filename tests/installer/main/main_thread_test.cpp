#include "installer/main/main_thread.h"

#include <windows.h>

#include <thread>

#include <gtest/gtest.h>

#include "base/message_loop/message_loop.h"
#include "base/thread/thread_registry.h"
#include "tests/base/deadline.h"

namespace {

TEST(MainThreadTest, WithoutASetupWindowTheUiLoopEndsAndEverythingIsUndone) {
  nbase_test::Deadline deadline(60);
  std::thread([] {
    MainThread main_thread;
    EXPECT_EQ(main_thread.name(), "MainThread");
    main_thread.RunOnCurrentThread(nbase::MessageLoopKind::UI, nullptr);
    // Cleanup stopped the misc thread and both identifiers are free again.
    EXPECT_EQ(nbase::ThreadRegistry::Find(kUiThreadId), nullptr);
    EXPECT_EQ(nbase::ThreadRegistry::Find(kMiscThreadId), nullptr);
    EXPECT_EQ(nbase::MessageLoop::current(), nullptr);
  }).join();
}

}  // namespace
