// The operations of the setup window that the install sequence drives. The setup
// window maps them onto its controls; tests put a recording view in its place, so the
// sequence runs whole without a visible window.
//
// Every operation is called on the UI thread, which owns the view.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "installer/utils/language_entry.h"

enum class ViewPart { kCloseButton, kMinimizeButton, kCustomBox, kInvalidPathLabel };

enum class BoxButtons { kOk, kOkCancel, kRetryCancel, kAbortRetryIgnore };

// The values are the platform's answers to a message box.
enum class BoxAnswer { kOk = IDOK, kCancel = IDCANCEL, kAbort = IDABORT, kRetry = IDRETRY, kIgnore = IDIGNORE };

// Every box of the install sequence is a warning with an empty caption.
constexpr UINT MessageBoxFlags(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk: return MB_ICONWARNING | MB_OK;
    case BoxButtons::kOkCancel: return MB_ICONWARNING | MB_OKCANCEL;
    case BoxButtons::kRetryCancel: return MB_ICONWARNING | MB_RETRYCANCEL;
    case BoxButtons::kAbortRetryIgnore: return MB_ICONWARNING | MB_ABORTRETRYIGNORE;
  }
  return MB_ICONWARNING | MB_OK;
}

// The taskbar button's progress states the sequence uses (TBPF_INDETERMINATE, TBPF_ERROR).
enum class TaskbarState { kIndeterminate = 1, kError = 4 };

enum InstallPage { kHomePage = 0, kDownloadPage = 1, kEndPage = 2 };

class IInstallView {
 public:
  virtual ~IInstallView() = default;

  // Window filling: the language list with the current language selected, and every
  // text of the current language, the carousel caption of the current index included.
  virtual void FillLanguageList(const std::vector<LanguageEntry>& entries,
                                const std::wstring& current_language) = 0;
  virtual void ApplyTexts() = 0;
  virtual std::wstring TextForId(const std::wstring& id) const = 0;

  virtual void SetPartVisible(ViewPart part, bool visible) = 0;
  virtual void SelectPage(int page) = 0;
  virtual int CurrentPage() const = 0;
  // Height in 96-DPI units; the view scales it.
  virtual void SetPageSwitchHeight(int height) = 0;

  virtual std::wstring InstallPathText() const = 0;
  virtual void SetInstallPathText(const std::wstring& text) = 0;
  // Both custom-install check boxes, without raising their events.
  virtual void UnselectCustomCheckBoxes() = 0;
  virtual bool IsDefaultViewerSelected() const = 0;

  virtual int ProgressValue() const = 0;
  virtual void SetProgressValue(int value) = 0;
  virtual void SetProgressLabel(const std::wstring& text) = 0;

  // A modal warning box with an empty caption; returns the button pressed. Window
  // messages keep arriving while it shows.
  virtual BoxAnswer ShowMessageBox(const std::wstring& text, BoxButtons buttons) = 0;

  // Starts the carousel timer (every 5 s) from the first picture.
  virtual void StartCarouselTimer() = 0;

  // Receives the download messages and WM_INSTALL_FINISHED.
  virtual HWND WindowHandle() const = 0;

  // The taskbar button's progress. Creating may fail; then the sequence skips it.
  virtual bool CreateTaskbarProgress() = 0;
  virtual void SetTaskbarProgress(TaskbarState state, int value_of_100) = 0;

  // Closes the window (its close message carries wParam 1).
  virtual void CloseWindow() = 0;
  // Ends the UI thread's message loop.
  virtual void PostQuit() = 0;
};
