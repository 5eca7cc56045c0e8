#include "installer/window/taskbar_progress.h"

bool TaskbarProgress::Create(HWND window) {
  if (list_) return true;
  nbase::win::ScopedComPtr<ITaskbarList3> list;
  if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL, IID_ITaskbarList3,
                                list.put_void()))) {
    return false;
  }
  if (FAILED(list->HrInit())) return false;
  window_ = window;
  list_ = std::move(list);
  return true;
}

void TaskbarProgress::Set(TaskbarState state, int value_of_100) {
  if (!list_) return;
  list_->SetProgressState(window_, static_cast<TBPFLAG>(state));
  list_->SetProgressValue(window_, static_cast<ULONGLONG>(value_of_100), 100);
}
