// Downloads one file with eight parallel HTTP range requests and reports to a window.
//
//   CHttpDownloader downloader(window, L"http://host/setup.exe", L"C:\\Temp\\");
//   downloader.Start();      // later: WM_DOWNLOAD_PROGRESS ..., then WM_DOWNLOAD_FINISHED
//
// Messages to the notification window:
//   WM_DOWNLOAD_PROGRESS  sent (synchronously), wParam 0, lParam: const DownloadProgress*
//                         valid only during the call. Progress is looked at every 500 ms
//                         and reported when the whole percent has grown, so within a run
//                         the percent only grows and is never 0; 100 comes only once the
//                         file is complete at its target. Every progress message of a run
//                         arrives before its WM_DOWNLOAD_FINISHED.
//   WM_DOWNLOAD_FINISHED  posted, wParam 0, lParam 1 when the file is complete at
//                         TargetPath(), else 0. After 0 nothing is left at TargetPath()
//                         and no part files remain.
//
// Threads: construct, Start and destroy on one thread (normally the window's). The
// constructor starts a progress thread and a length query; each run has its own thread
// and one worker per range. OnProgress is called on the workers. The destructor waits
// for every thread it started and lets sent messages through meanwhile, so it may run on
// the window's thread while a progress message is in flight; a run still going makes it
// wait for that run (bounded by the stall time-out of its requests). The downloader hands
// `this` to its threads: neither copied nor moved.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/win/scoped_handle.h"
#include "installer/HttpClient/download_part.h"
#include "installer/HttpClient/http_base.h"
#include "base/synchronization/lock.h"

constexpr UINT WM_DOWNLOAD_PROGRESS = WM_USER + 101;  // 0x0465
constexpr UINT WM_DOWNLOAD_FINISHED = WM_USER + 102;  // 0x0466

class CHttpDownloader;

struct DownloadProgress {
  CHttpDownloader* downloader;
  int percent;
  double downloaded;  // bytes
  double total;       // bytes
};

class CHttpDownloader : public IHttpCallback {
 public:
  // Without an answer for this long (connecting, sending or waiting for data) a request
  // fails.
  static constexpr DWORD kDefaultStallTimeoutMs = 30000;
  // Expected size until the length query has answered.
  static constexpr double kDefaultExpectedSize = 125829120.0;

  // `folder` is normalised (backslashes, one at the end). The file's length is queried at
  // once, in the background.
  CHttpDownloader(HWND window, const std::wstring& url, const std::wstring& folder,
                  DWORD stall_timeout_ms = kDefaultStallTimeoutMs);
  ~CHttpDownloader();
  CHttpDownloader(const CHttpDownloader&) = delete;
  CHttpDownloader& operator=(const CHttpDownloader&) = delete;

  // Starts a run and returns at once; a WM_DOWNLOAD_FINISHED follows (with 0 when not even
  // a thread could be started). False, with no message, only while a run is going.
  bool Start();
  // Folder and file name (the URL's last path segment before any '?' or '&').
  std::wstring TargetPath() const;
  // Duration of the last run's download, from its start until all ranges ended.
  double ElapsedSeconds() const;
  // The file's length in bytes from the latest length query (0 when it failed), or
  // kDefaultExpectedSize before the first answer. Any thread may read it.
  double ExpectedSize() const;

  // IHttpCallback, for the part workers: `param` is the DownloadPart.
  void OnProgress(void* param, int state, double total, double current) override;
  bool ShouldStop() override;

 private:
  static DWORD WINAPI ProgressMain(void* self);
  static DWORD WINAPI LengthMain(void* self);
  static DWORD WINAPI RunMain(void* self);
  void ProgressLoop();
  void Run();
  // The file at its target; `length` is the file's length once known.
  bool DownloadAndMerge(int32_t& length);
  // The file's length; false when the query failed. Updates the expected size.
  bool QueryLength(double& length);
  bool Merge(int32_t length);
  void RemovePartFiles();
  // Opens the progress reporting of a run.
  void BeginReports();
  void ReportProgress();
  // Closes it: reports 100 % first on success. Every report of the run is handled by the
  // window when this returns.
  void EndReports(bool success, int32_t length);
  void SetExpectedSize(double size);

  const HWND window_;
  const std::wstring url_;
  const std::wstring folder_;
  const std::wstring file_name_;
  const DWORD stall_timeout_ms_;

  nbase::win::ScopedHandle start_event_;  // auto-reset; releases the progress thread
  nbase::win::ScopedHandle stop_event_;   // manual-reset; ends the progress thread
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  nbase::win::ScopedHandle progress_thread_;
  nbase::win::ScopedHandle length_thread_;
  nbase::win::ScopedHandle run_thread_;

  mutable nbase::Lock state_lock_;  // expected size and run times
  double expected_size_ = kDefaultExpectedSize;
  int64_t start_ticks_ = 0;  // 100-ns ticks of a monotonic clock
  int64_t end_ticks_ = 0;

  nbase::Lock parts_lock_;  // the parts vector
  std::vector<std::unique_ptr<DownloadPart>> parts_;

  // Held while a progress message is sent; never taken by Start or the destructor, so the
  // window's thread never waits for it.
  nbase::Lock report_lock_;
  bool reporting_ = false;
  int last_percent_ = 0;
};
