#include "tests/installer/window/recording_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "installer/window/install_flow.h"
#include "ui/core/global_resources.h"

namespace {

const wchar_t kWindowClass[] = L"QmRecordingInstallView";

void RegisterWindowClass(WNDPROC procedure) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = kWindowClass;
  ::RegisterClassExW(&window_class);  // fails harmlessly once registered
}

}  // namespace

RecordingView::RecordingView() {
  RegisterWindowClass(&RecordingView::WindowProc);
  window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ::GetModuleHandleW(nullptr), this);
}

RecordingView::~RecordingView() {
  if (window_) ::DestroyWindow(window_);
}

void RecordingView::ScriptAnswers(std::initializer_list<BoxAnswer> answers) {
  answers_.insert(answers_.end(), answers.begin(), answers.end());
}

bool RecordingView::RunUntil(const std::function<bool()>& done,
                             std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done() && !quit_received) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    // Wakes at least every 50 ms: `done` may watch something other than messages.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                static_cast<DWORD>(std::min<long long>(left.count(), 50)),
                                QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit_received = true;
        break;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return done();
}

void RecordingView::FillLanguageList(const std::vector<LanguageEntry>& entries,
                                     const std::wstring& current_language) {
  language_list = entries;
  selected_language = current_language;
}

std::wstring RecordingView::TextForId(const std::wstring& id) const {
  return ui::GlobalResources::TextForId(id);
}

void RecordingView::SetProgressValue(int value) {
  progress = value;
  progress_values.push_back(value);
}

BoxAnswer RecordingView::ShowMessageBox(const std::wstring& text, BoxButtons buttons) {
  Box box{text, buttons, BoxAnswer::kCancel, CurrentPage()};
  if (answers_.empty()) {
    ADD_FAILURE() << "a box nobody expected: " << ::testing::PrintToString(text);
  } else {
    box.answer = answers_.front();
    answers_.pop_front();
  }
  boxes.push_back(box);
  if (while_box_shows) while_box_shows(box);
  return box.answer;
}

bool RecordingView::CreateTaskbarProgress() {
  return taskbar_progress_.Create(window_);
}

void RecordingView::SetTaskbarProgress(TaskbarState state, int value_of_100) {
  taskbar.emplace_back(state, value_of_100);
  taskbar_progress_.Set(state, value_of_100);
}

void RecordingView::CloseWindow() {
  ++close_requests;
  ::PostMessageW(window_, WM_CLOSE, 1, 0);
}

void RecordingView::PostQuit() {
  quit_posted = true;
  ::PostQuitMessage(0);
}

bool RecordingView::IsVisible(ViewPart part) const {
  const auto found = visible_.find(part);
  return found != visible_.end() && found->second;
}

LRESULT CALLBACK RecordingView::WindowProc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* view = reinterpret_cast<RecordingView*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (view && view->flow_) {
    if (message == WM_CLOSE) {
      ++view->close_messages;
      // The window stays for the rest of the test; a real one would be destroyed here.
      if (!view->flow_->OnCloseMessage(wparam)) view->window_closed = true;
      return 0;
    }
    if (view->flow_->RouteMessage(message, wparam, lparam)) return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}
