// The install sequence of the setup window: preparation when the window opens, the
// checks and the download after "Install Now", the silent installation, the end page,
// and the boxes for every way this can fail or be cancelled, with the telemetry of each
// step. It drives the window only through IInstallView.
//
// Threads: UI thread only. The message boxes are modal and pump messages, so every entry
// point may be re-entered while a box shows (download progress, close requests); the
// quit box refuses a second close request while it is open. The flow owns the product
// configuration, the language manager, both reporters and the downloader; the view and
// the system outlive it. The downloader's threads and the silent-installation worker
// reach the flow only through window messages to the view's window (RouteMessage).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "installer/HttpClient/http_downloader.h"
#include "installer/report/ga_reporter.h"
#include "installer/report/xd_reporter.h"
#include "installer/utils/language_manager.h"
#include "installer/utils/product_config.h"
#include "installer/window/install_system.h"
#include "installer/window/install_view.h"
#include "installer/window/silent_install.h"

class InstallFlow {
 public:
  InstallFlow(IInstallView& view, IInstallSystem& system);
  ~InstallFlow();
  InstallFlow(const InstallFlow&) = delete;
  InstallFlow& operator=(const InstallFlow&) = delete;

  void Prepare();
  void StartInstall();
  void SetProgress(int value);
  void OnDownloadProgress(int percent);
  void OnDownloadFinished(bool success);
  void RetryDownload();
  void OnInstallFinished(InstallOutcome outcome, uint32_t setup_exit_code);
  void StartNow();

  // The window's close operation: every close request comes here.
  void CloseHost();
  // The window's close message. True when it was handled and the window stays.
  bool OnCloseMessage(WPARAM wparam);

  // The download messages and WM_INSTALL_FINISHED; true when `message` was one of them.
  bool RouteMessage(UINT message, WPARAM wparam, LPARAM lparam);

  ProductConfig& config() { return config_; }
  LanguageManager& languages() { return languages_; }

 private:
  void StartDownload();
  void ReturnHome();
  void ShowNetworkErrorBox();
  void ShowInstallErrorBox();
  void SetTaskbar(TaskbarState state, int value_of_100);

  IInstallView& view_;
  IInstallSystem& system_;
  ProductConfig config_;
  LanguageManager languages_;
  GaReporter ga_;
  XdReporter xd_;
  std::unique_ptr<CHttpDownloader> downloader_;
  bool has_taskbar_ = false;
  bool quit_box_showing_ = false;
};
