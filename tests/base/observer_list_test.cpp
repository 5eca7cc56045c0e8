#include "base/observer_list.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nbase {
namespace {

struct Recorder {
  std::string name;
  std::vector<std::string>* seen;
  std::function<void()> on_notify;
};

TEST(ObserverListTest, VisitsInOrderOfAdditionAndIgnoresDuplicates) {
  std::vector<std::string> seen;
  Recorder a{"a", &seen, nullptr}, b{"b", &seen, nullptr};
  ObserverList<Recorder> list;
  list.AddObserver(&a);
  list.AddObserver(&b);
  list.AddObserver(&a);
  list.Notify([](Recorder& r) { r.seen->push_back(r.name); });
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(list.HasObserver(&b));
}

TEST(ObserverListTest, ChangesDuringANotificationAreSafe) {
  std::vector<std::string> seen;
  ObserverList<Recorder> list;
  Recorder late{"late", &seen, nullptr};
  Recorder removed{"removed", &seen, nullptr};
  Recorder first{"first", &seen, [&] {
                   list.RemoveObserver(&removed);
                   list.AddObserver(&late);
                 }};
  list.AddObserver(&first);
  list.AddObserver(&removed);
  list.Notify([](Recorder& r) {
    r.seen->push_back(r.name);
    if (r.on_notify) r.on_notify();
  });
  // The removed one is skipped at once, the added one visited in the same pass.
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "late"}));
  EXPECT_FALSE(list.HasObserver(&removed));

  seen.clear();
  first.on_notify = nullptr;
  list.Notify([](Recorder& r) { r.seen->push_back(r.name); });
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "late"}));
}

TEST(ObserverListTest, ReentrantNotificationsSeeTheSameList) {
  std::vector<std::string> seen;
  ObserverList<Recorder> list;
  Recorder outer{"outer", &seen, nullptr};
  Recorder other{"other", &seen, nullptr};
  int depth = 0;
  outer.on_notify = [&] {
    if (depth++ > 0) return;
    list.RemoveObserver(&other);
    list.Notify([](Recorder& r) { r.seen->push_back("inner:" + r.name); });
  };
  list.AddObserver(&outer);
  list.AddObserver(&other);
  list.Notify([](Recorder& r) {
    r.seen->push_back(r.name);
    if (r.on_notify) r.on_notify();
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"outer", "inner:outer"}));
}

}  // namespace
}  // namespace nbase
