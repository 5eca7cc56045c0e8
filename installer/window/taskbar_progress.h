// The progress shown on one window's taskbar button, through the shell's taskbar list.
//
// UI thread only, on a thread where COM is initialised; without COM or without a
// taskbar (no shell) `Create` fails and the owner skips the progress.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "base/win/scoped_handle.h"
#include "installer/window/install_view.h"

class TaskbarProgress {
 public:
  TaskbarProgress() = default;
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

  // Creates the taskbar list for `window` once; later calls report whether it exists.
  bool Create(HWND window);
  bool IsCreated() const { return static_cast<bool>(list_); }

  // Sets the state, then the value out of 100. Does nothing before a successful Create.
  void Set(TaskbarState state, int value_of_100);

 private:
  HWND window_ = nullptr;
  nbase::win::ScopedComPtr<ITaskbarList3> list_;
};
