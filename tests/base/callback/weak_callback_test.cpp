#include "base/callback/weak_callback.h"

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "base/callback/support_weak_callback.h"
#include "base/callback/weak_callback_flag.h"

namespace nbase {
namespace {

class Owner : public SupportWeakCallback {
 public:
  void Touch() { ++touches; }
  bool Accept(int value) { return value > 0; }
  Owner* Self() { return this; }
  std::string Join(const std::string& lead, int middle, const std::string& tail) {
    return lead + std::to_string(middle) + tail;
  }
  int touches = 0;
};

TEST(WeakCallbackTest, RunsWhileTheOwnerLives) {
  Owner owner;
  auto touch = Bind(&Owner::Touch, &owner);
  auto accept = Bind(&Owner::Accept, &owner);
  touch();
  touch();
  EXPECT_EQ(owner.touches, 2);
  EXPECT_TRUE(accept(3));
  EXPECT_FALSE(accept(-3));
  EXPECT_FALSE(touch.Expired());
}

TEST(WeakCallbackTest, DoesNothingAfterTheOwnerIsDestroyed) {
  auto owner = std::make_unique<Owner>();
  std::function<void()> touch = Bind(&Owner::Touch, owner.get());
  std::function<bool(int)> accept = Bind(&Owner::Accept, owner.get());
  std::function<Owner*()> self = Bind(&Owner::Self, owner.get());
  EXPECT_EQ(self(), owner.get());
  owner.reset();
  // With the owner gone these would touch freed memory; they must not call at all.
  touch();
  EXPECT_FALSE(accept(3));
  EXPECT_EQ(self(), nullptr);
}

TEST(WeakCallbackTest, BindFixesLeadingArgumentsAndForwardsTheRest) {
  Owner owner;
  auto join = Bind(&Owner::Join, &owner, std::string("<"), 42);
  EXPECT_EQ(join(std::string(">")), "<42>");
  EXPECT_EQ(join(std::string("!")), "<42!");
}

TEST(WeakCallbackTest, CopiesShareTheFlag) {
  auto owner = std::make_unique<Owner>();
  auto touch = Bind(&Owner::Touch, owner.get());
  auto copy = touch;
  copy();
  EXPECT_EQ(owner->touches, 1);
  owner.reset();
  EXPECT_TRUE(copy.Expired());
  EXPECT_TRUE(touch.Expired());
}

TEST(WeakCallbackTest, ACopiedOwnerHasALivenessOfItsOwn) {
  auto original = std::make_unique<Owner>();
  int calls = 0;
  auto of_original = original->ToWeakCallback([&calls] { ++calls; });
  Owner copy(*original);
  auto of_copy = copy.ToWeakCallback([&calls] { calls += 10; });
  original.reset();
  of_original();
  of_copy();
  EXPECT_EQ(calls, 10);
}

TEST(WeakCallbackFlagTest, CancelExpiresEarlierCallbacksOnly) {
  WeakCallbackFlag flag;
  int calls = 0;
  auto before = flag.ToWeakCallback([&calls] { ++calls; });
  flag.Cancel();
  auto after = flag.ToWeakCallback([&calls] { calls += 100; });
  before();
  after();
  EXPECT_EQ(calls, 100);
  EXPECT_TRUE(before.Expired());
  EXPECT_FALSE(after.Expired());
}

TEST(WeakCallbackFlagTest, AMemberFlagExpiresWithItsObject) {
  struct Timerish {
    WeakCallbackFlag tick_flag;
  };
  auto object = std::make_unique<Timerish>();
  int ticks = 0;
  auto tick = object->tick_flag.ToWeakCallback([&ticks] { return ++ticks; });
  EXPECT_EQ(tick(), 1);
  object.reset();
  EXPECT_EQ(tick(), 0);
  EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace nbase
