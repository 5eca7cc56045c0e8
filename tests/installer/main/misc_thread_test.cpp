#include "installer/main/misc_thread.h"

#include <gtest/gtest.h>

#include "base/thread/thread_registry.h"
#include "installer/main/main_thread.h"
#include "tests/base/deadline.h"

namespace {

TEST(MiscThreadTest, IsRegisteredUnderItsIdentifierExactlyWhileItRuns) {
  nbase_test::Deadline deadline(30);
  MiscThread misc(kMiscThreadId, "Global Misc Thread");
  EXPECT_EQ(misc.name(), "Global Misc Thread");
  EXPECT_EQ(nbase::ThreadRegistry::Find(kMiscThreadId), nullptr);
  ASSERT_TRUE(misc.Start());
  // Start returned after Init, which registered the thread.
  EXPECT_EQ(nbase::ThreadRegistry::Find(kMiscThreadId), &misc);
  misc.Stop();
  EXPECT_EQ(nbase::ThreadRegistry::Find(kMiscThreadId), nullptr);
}

TEST(MiscThreadTest, DestroyingARunningMiscThreadStopsIt) {
  nbase_test::Deadline deadline(30);
  {
    MiscThread misc(kMiscThreadId, "Global Misc Thread");
    ASSERT_TRUE(misc.Start());
  }
  EXPECT_EQ(nbase::ThreadRegistry::Find(kMiscThreadId), nullptr);
}

}  // namespace
