// A stand-in for the setup window in the install-sequence tests: it records what the
// sequence shows, answers message boxes from a script, and owns a real message-only
// window that routes the download and install messages and the close message to the
// flow the way the setup window does.
//
// UI thread only (the test's thread). It hands `this` to its window, so it neither
// copies nor moves.
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "installer/window/install_view.h"
#include "installer/window/taskbar_progress.h"

class InstallFlow;

class RecordingView : public IInstallView {
 public:
  struct Box {
    std::wstring text;
    BoxButtons buttons;
    BoxAnswer answer;
    int page;  // the page under the box
  };

  RecordingView();
  ~RecordingView() override;
  RecordingView(const RecordingView&) = delete;
  RecordingView& operator=(const RecordingView&) = delete;

  void Attach(InstallFlow* flow) { flow_ = flow; }
  void ScriptAnswers(std::initializer_list<BoxAnswer> answers);
  size_t UnusedAnswers() const { return answers_.size(); }

  // Pumps the window's messages until `done` holds, WM_QUIT arrives or the deadline
  // passes. Returns whether `done` holds.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline);

  // Called while a box shows, before it is answered.
  std::function<void(const Box&)> while_box_shows;

  // IInstallView
  void FillLanguageList(const std::vector<LanguageEntry>& entries,
                        const std::wstring& current_language) override;
  void ApplyTexts() override { ++texts_applied; }
  std::wstring TextForId(const std::wstring& id) const override;
  void SetPartVisible(ViewPart part, bool visible) override { visible_[part] = visible; }
  void SelectPage(int page) override { pages.push_back(page); }
  int CurrentPage() const override { return pages.empty() ? kHomePage : pages.back(); }
  void SetPageSwitchHeight(int height) override { switch_height = height; }
  std::wstring InstallPathText() const override { return path_text; }
  void SetInstallPathText(const std::wstring& text) override { path_text = text; }
  void UnselectCustomCheckBoxes() override { ++custom_unselected; }
  bool IsDefaultViewerSelected() const override { return default_viewer; }
  int ProgressValue() const override { return progress; }
  void SetProgressValue(int value) override;
  void SetProgressLabel(const std::wstring& text) override { progress_label = text; }
  BoxAnswer ShowMessageBox(const std::wstring& text, BoxButtons buttons) override;
  void StartCarouselTimer() override { ++carousel_starts; }
  HWND WindowHandle() const override { return window_; }
  bool CreateTaskbarProgress() override;
  void SetTaskbarProgress(TaskbarState state, int value_of_100) override;
  void CloseWindow() override;
  void PostQuit() override;

  bool IsVisible(ViewPart part) const;

  // What the sequence showed.
  std::vector<int> pages;
  std::vector<Box> boxes;
  std::vector<int> progress_values;
  std::vector<std::pair<TaskbarState, int>> taskbar;
  std::vector<LanguageEntry> language_list;
  std::wstring selected_language;
  std::wstring path_text;
  std::wstring progress_label;
  int progress = 0;
  int switch_height = 0;
  int custom_unselected = 0;
  int texts_applied = 0;
  int carousel_starts = 0;
  int close_requests = 0;       // CloseWindow calls
  int close_messages = 0;       // close messages that reached the window
  bool window_closed = false;   // a close message that the flow let through
  bool quit_posted = false;
  bool quit_received = false;   // WM_QUIT reached the loop
  bool default_viewer = true;   // as the shipped form: hidden and selected

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
  InstallFlow* flow_ = nullptr;
  std::deque<BoxAnswer> answers_;
  std::map<ViewPart, bool> visible_;
  TaskbarProgress taskbar_progress_;
};
