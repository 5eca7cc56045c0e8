#include "installer/window/install_flow.h"

#include "installer/report/device_id.h"
#include "installer/utils/logger.h"
#include "installer/utils/path_util.h"
#include "installer/utils/process_util.h"
#include "installer/utils/string_util.h"
#include "installer/window/install_rules.h"

namespace {

const wchar_t* OutcomeText(InstallOutcome outcome) {
  switch (outcome) {
    case InstallOutcome::kInstalled: return L"installed";
    case InstallOutcome::kSetupNotStarted: return L"the setup program could not be started";
    case InstallOutcome::kSetupFailed: return L"the setup program failed";
    case InstallOutcome::kProductMissing: return L"the setup program left no product executable";
  }
  return L"unknown outcome";
}

}  // namespace

InstallFlow::InstallFlow(IInstallView& view, IInstallSystem& system)
    : view_(view), system_(system) {}

InstallFlow::~InstallFlow() = default;

void InstallFlow::Prepare() {
  QLOG(LV_APP, L"------- init data -------");
  languages_.SelectByCode(system_.LanguageCodeFromExeName());
  config_.Load();
  const std::string device_id = GetDeviceId();

  QLOG(LV_APP, L"------- init ga -------");
  ga_.Init(config_.GetUtf8(L"GA_URL"), config_.GetUtf8(L"GA_TID"), config_.GetUtf8(L"GA_API"),
           config_.GetUtf8(L"GA_EC"), config_.GetUtf8(L"GA_EN"), device_id);
  QLOG(LV_APP, L"------- init xd -------");
  xd_.Init(config_.GetUtf8(L"XD_URL"), device_id, config_.GetUtf8(L"PRODUCT_ID"),
           GetFileVersionString(GetExeFileName()), "home");

  if (!downloader_) {
    std::wstring folder = GetLocalAppDataDir() + L"Temp\\";
    ReplaceAll(L"/", L"\\", folder);
    downloader_ = std::make_unique<CHttpDownloader>(view_.WindowHandle(), config_.DownloadUrl(),
                                                    folder);
  }

  view_.FillLanguageList(languages_.Entries(), languages_.CurrentLanguage());
  view_.SetInstallPathText(config_.DefaultInstallDir());
  view_.SetPartVisible(ViewPart::kCloseButton, true);
  view_.SetPartVisible(ViewPart::kMinimizeButton, true);
  view_.UnselectCustomCheckBoxes();
  view_.SelectPage(kHomePage);
  view_.ApplyTexts();

  ga_.Send("Installer_Popup", "");
}

void InstallFlow::StartInstall() {
  ga_.Send("Install_Start", "");
  xd_.Send("install", "start");

  if (system_.IsProcessRunning(config_.ProcessName())) {
    view_.ShowMessageBox(FillPlaceholder(view_.TextForId(L"STRID_BOX_APP_RUNNING"), L"%s",
                                         config_.ProductName()),
                         BoxButtons::kOk);
    return;
  }

  const std::wstring path = view_.InstallPathText();
  if (!system_.IsValidInstallPath(path)) {
    view_.SetPartVisible(ViewPart::kInvalidPathLabel, true);
    return;
  }
  const long long needed_mib = RequiredDiskSpaceMiB(downloader_ ? downloader_->ExpectedSize() : 0);
  if (system_.FreeDiskSpaceMB(path) < static_cast<double>(needed_mib)) {
    view_.ShowMessageBox(FillPlaceholder(view_.TextForId(L"STRID_BOX_DISK_NOT_ENOUGH"), L"%d",
                                         std::to_wstring(needed_mib)),
                         BoxButtons::kOk);
    return;
  }
  view_.SetPartVisible(ViewPart::kInvalidPathLabel, false);

  view_.SetPartVisible(ViewPart::kCloseButton, false);
  view_.SetPartVisible(ViewPart::kMinimizeButton, false);
  view_.SelectPage(kDownloadPage);
  view_.SetPageSwitchHeight(360);
  view_.SetPartVisible(ViewPart::kCustomBox, false);
  config_.SetInstallPath(path);

  if (!has_taskbar_) has_taskbar_ = view_.CreateTaskbarProgress();
  SetProgress(0);
  StartDownload();
  view_.StartCarouselTimer();
}

void InstallFlow::SetProgress(int value) {
  if (value == view_.ProgressValue()) return;
  view_.SetProgressValue(value);
  view_.SetProgressLabel(WStringPrintf(L"(%d%%)", value));
  SetTaskbar(TaskbarState::kIndeterminate, value);
}

void InstallFlow::OnDownloadProgress(int percent) {
  const int bar = BarValueForDownloadPercent(percent);
  if (bar >= 0) SetProgress(bar);
}

void InstallFlow::OnDownloadFinished(bool success) {
  if (!success) {
    QLOG(LV_APP, L"------- download failed -------");
    SetTaskbar(TaskbarState::kError, 100);
    if (!system_.IsConnectedToInternet()) {
      ShowNetworkErrorBox();
    } else {
      ShowInstallErrorBox();
    }
    return;
  }

  QLOG(LV_APP, L"------- download success -------");
  ga_.Send("Install_Time", DurationBucket(downloader_->ElapsedSeconds()));

  // The worker gets copies of everything it needs: it must not touch the window.
  SilentInstallJob job;
  job.window = view_.WindowHandle();
  job.setup_program = downloader_->TargetPath();
  job.folder = view_.InstallPathText();
  job.password = config_.PkgPsw();
  job.product_exe = config_.ProductExePath();
  job.language_file = config_.CacheFilePath(L"language");
  job.language = languages_.CurrentLanguage();
  job.default_viewer = view_.IsDefaultViewerSelected();
  if (!StartSilentInstall(job)) OnInstallFinished(InstallOutcome::kSetupNotStarted, 0);
}

void InstallFlow::RetryDownload() {
  QLOG(LV_APP, L"------- retry download -------");
  SetProgress(0);
  StartDownload();
}

void InstallFlow::OnInstallFinished(InstallOutcome outcome, uint32_t setup_exit_code) {
  if (outcome != InstallOutcome::kInstalled) {
    // A setup that did not run, failed or installed nothing is not a finished installation.
    QLOG(LV_ERR, L"------- install failed: {0} (exit code {1}) -------")
        << OutcomeText(outcome) << static_cast<unsigned long>(setup_exit_code);
    SetTaskbar(TaskbarState::kError, 100);
    ShowInstallErrorBox();
    return;
  }
  ga_.Send("Install_End", "");
  xd_.Send("install", "end");
  view_.SetPartVisible(ViewPart::kCloseButton, true);
  view_.SetPartVisible(ViewPart::kMinimizeButton, false);
  view_.SelectPage(kEndPage);
  SetTaskbar(TaskbarState::kIndeterminate, 0);
}

void InstallFlow::StartNow() {
  system_.RunAsDesktopUser(config_.ProductExePath(), L"");
  CloseHost();
}

void InstallFlow::CloseHost() {
  if (view_.CurrentPage() == kEndPage) {
    view_.CloseWindow();
    return;
  }
  if (quit_box_showing_) return;
  quit_box_showing_ = true;
  const BoxAnswer answer = view_.ShowMessageBox(view_.TextForId(L"STRID_BOX_QUIT"),
                                                BoxButtons::kOkCancel);
  quit_box_showing_ = false;
  if (answer != BoxAnswer::kOk) return;
  ga_.Send("Install_Cancel", "");
  view_.CloseWindow();
}

bool InstallFlow::OnCloseMessage(WPARAM wparam) {
  if (wparam == 0) {
    // A close from the system (Alt+F4, taskbar, system menu) asks like the close button.
    CloseHost();
    return true;
  }
  if (view_.CurrentPage() == kEndPage) {
    const std::wstring url = view_.TextForId(L"URLID_INSTALL");
    if (!url.empty()) system_.OpenUrl(url);
  }
  view_.PostQuit();
  return false;
}

bool InstallFlow::RouteMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DOWNLOAD_PROGRESS: {
      const auto* progress = reinterpret_cast<const DownloadProgress*>(lparam);
      if (progress) OnDownloadProgress(progress->percent);
      return true;
    }
    case WM_DOWNLOAD_FINISHED:
      OnDownloadFinished(lparam != 0);
      return true;
    case WM_INSTALL_FINISHED:
      OnInstallFinished(static_cast<InstallOutcome>(wparam), static_cast<uint32_t>(lparam));
      return true;
  }
  return false;
}

void InstallFlow::StartDownload() {
  QLOG(LV_APP, L"------- start download -------");
  if (!downloader_) return;
  ::DeleteFileW(downloader_->TargetPath().c_str());
  downloader_->Start();
}

void InstallFlow::ReturnHome() {
  view_.SetPartVisible(ViewPart::kCloseButton, true);
  view_.SetPartVisible(ViewPart::kMinimizeButton, true);
  view_.UnselectCustomCheckBoxes();
  view_.SelectPage(kHomePage);
}

void InstallFlow::ShowNetworkErrorBox() {
  const BoxAnswer answer = view_.ShowMessageBox(view_.TextForId(L"STRID_BOX_NETWORK_ERROR"),
                                                BoxButtons::kRetryCancel);
  SetTaskbar(TaskbarState::kIndeterminate, 0);
  if (answer == BoxAnswer::kRetry) {
    RetryDownload();
  } else {
    ReturnHome();
  }
}

void InstallFlow::ShowInstallErrorBox() {
  const BoxAnswer answer = view_.ShowMessageBox(view_.TextForId(L"STRID_BOX_UNKOWN_ERROR"),
                                                BoxButtons::kAbortRetryIgnore);
  SetTaskbar(TaskbarState::kIndeterminate, 0);
  switch (answer) {
    case BoxAnswer::kRetry:
      RetryDownload();
      return;
    case BoxAnswer::kIgnore:
      // The user fetches the full setup in the browser; the installer ends.
      system_.OpenUrl(config_.DownloadUrl());
      view_.SetPartVisible(ViewPart::kCloseButton, true);
      view_.SetPartVisible(ViewPart::kMinimizeButton, false);
      view_.SelectPage(kEndPage);
      view_.PostQuit();
      return;
    default:
      ReturnHome();
      return;
  }
}

void InstallFlow::SetTaskbar(TaskbarState state, int value_of_100) {
  if (has_taskbar_) view_.SetTaskbarProgress(state, value_of_100);
}
