// A list of observers that tolerates changes during a notification: observers added
// meanwhile are visited in the same pass, removed ones leave a hole that is skipped and
// compacted away once the outermost notification has ended.
//
// Threads: one thread only, the thread of the object that owns the list; notifications
// may re-enter (an observer may cause another notification of the same list).
#pragma once

#include <algorithm>
#include <vector>

namespace nbase {

template <typename Observer>
class ObserverList {
 public:
  ObserverList() = default;
  virtual ~ObserverList() = default;
  ObserverList(const ObserverList&) = delete;
  ObserverList& operator=(const ObserverList&) = delete;

  // Adding an observer that is already listed does nothing.
  void AddObserver(Observer* observer) {
    if (observer && !HasObserver(observer)) observers_.push_back(observer);
  }

  void RemoveObserver(Observer* observer) {
    auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it == observers_.end()) return;
    if (notify_depth_ > 0) {
      *it = nullptr;
    } else {
      observers_.erase(it);
    }
  }

  bool HasObserver(const Observer* observer) const {
    return observer &&
           std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
  }

  // Calls `notify(observer)` for every listed observer, in the order they were added.
  template <typename Visit>
  void Notify(Visit&& notify) {
    ++notify_depth_;
    for (size_t i = 0; i < observers_.size(); ++i) {
      if (Observer* observer = observers_[i]) notify(*observer);
    }
    if (--notify_depth_ < 1) Compact();
  }

 protected:
  // Drops the holes left by removals; does nothing while a notification runs.
  virtual void Compact() {
    if (notify_depth_ > 0) return;
    observers_.erase(std::remove(observers_.begin(), observers_.end(), nullptr),
                     observers_.end());
  }

 private:
  int notify_depth_ = 0;
  std::vector<Observer*> observers_;
};

}  // namespace nbase
