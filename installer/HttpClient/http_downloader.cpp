#include "installer/HttpClient/http_downloader.h"

#include "installer/HttpClient/download_plan.h"
#include "installer/HttpClient/wininet_http.h"
#include "installer/utils/logger.h"
#include "installer/utils/path_util.h"
#include "installer/utils/string_util.h"

namespace {

constexpr DWORD kProgressIntervalMs = 500;
constexpr size_t kCopyBlock = 1 << 20;
const wchar_t kMergeSuffix[] = L".merging";

int64_t NowTicks() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  const int64_t seconds = counter.QuadPart / frequency.QuadPart;
  const int64_t rest = counter.QuadPart % frequency.QuadPart;
  return seconds * 10000000 + rest * 10000000 / frequency.QuadPart;
}

// Waits for a thread while letting messages sent to this thread's windows through, so a
// thread blocked in SendMessage to us can finish.
void WaitLettingSentMessagesThrough(HANDLE thread) {
  if (!thread) return;
  for (;;) {
    const DWORD result = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (result != WAIT_OBJECT_0 + 1) return;
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// Copies the whole of `from` to the end of `to`; the number of bytes copied, -1 on error.
int64_t AppendFile(HANDLE to, const std::wstring& from, std::vector<char>& buffer) {
  nbase::win::ScopedHandle source(::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING,
                                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!source) return -1;
  int64_t copied = 0;
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(source.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                    nullptr)) {
      return -1;
    }
    if (read == 0) return copied;
    DWORD written = 0;
    if (!::WriteFile(to, buffer.data(), read, &written, nullptr) || written != read) return -1;
    copied += read;
  }
}

}  // namespace

CHttpDownloader::CHttpDownloader(HWND window, const std::wstring& url,
                                 const std::wstring& folder, DWORD stall_timeout_ms)
    : window_(window),
      url_(url),
      folder_(NormalizeDirPath(folder)),
      file_name_(FileNameFromUrl(url)),
      stall_timeout_ms_(stall_timeout_ms),
      start_event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      stop_event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (start_event_ && stop_event_) {
    progress_thread_.reset(
        ::CreateThread(nullptr, 0, &CHttpDownloader::ProgressMain, this, 0, nullptr));
  }
  if (!progress_thread_) {
    // Downloads still work; the window then hears only the final 100 %.
    QLOG(LV_ERR, L"download progress thread not created. last error:{0}") << ::GetLastError();
  }
  length_thread_.reset(
      ::CreateThread(nullptr, 0, &CHttpDownloader::LengthMain, this, 0, nullptr));
  if (!length_thread_) {
    // The expected size keeps its default until a run queries the length.
    QLOG(LV_ERR, L"download length thread not created. last error:{0}") << ::GetLastError();
  }
  if (start_event_) ::SetEvent(start_event_.get());
}

CHttpDownloader::~CHttpDownloader() {
  stop_ = true;
  if (stop_event_) ::SetEvent(stop_event_.get());
  WaitLettingSentMessagesThrough(run_thread_.get());
  WaitLettingSentMessagesThrough(length_thread_.get());
  WaitLettingSentMessagesThrough(progress_thread_.get());
}

bool CHttpDownloader::Start() {
  bool idle = false;
  if (!running_.compare_exchange_strong(idle, true)) return false;
  // The previous run has nothing left to do but to end its thread.
  if (run_thread_) ::WaitForSingleObject(run_thread_.get(), INFINITE);
  run_thread_.reset(::CreateThread(nullptr, 0, &CHttpDownloader::RunMain, this, 0, nullptr));
  if (!run_thread_) {
    QLOG(LV_ERR, L"download run thread not created. last error:{0}") << ::GetLastError();
    running_ = false;
    if (window_) ::PostMessageW(window_, WM_DOWNLOAD_FINISHED, 0, 0);
  }
  return true;
}

std::wstring CHttpDownloader::TargetPath() const { return folder_ + file_name_; }

double CHttpDownloader::ElapsedSeconds() const {
  nbase::AutoLock hold(&state_lock_);
  return static_cast<double>(end_ticks_ - start_ticks_) / 10 / 1000000;
}

double CHttpDownloader::ExpectedSize() const {
  nbase::AutoLock hold(&state_lock_);
  return expected_size_;
}

void CHttpDownloader::SetExpectedSize(double size) {
  nbase::AutoLock hold(&state_lock_);
  expected_size_ = size;
}

void CHttpDownloader::OnProgress(void* param, int state, double total, double current) {
  auto* part = static_cast<DownloadPart*>(param);
  if (!part || total < current) return;
  // The part's state is decided by its worker once the whole answer has been checked.
  part->set_downloaded(current >= part->size() ? part->size() : static_cast<int32_t>(current));
}

bool CHttpDownloader::ShouldStop() { return stop_; }

DWORD WINAPI CHttpDownloader::ProgressMain(void* self) {
  static_cast<CHttpDownloader*>(self)->ProgressLoop();
  return 0;
}

DWORD WINAPI CHttpDownloader::LengthMain(void* self) {
  double length = 0;
  static_cast<CHttpDownloader*>(self)->QueryLength(length);
  return 0;
}

DWORD WINAPI CHttpDownloader::RunMain(void* self) {
  static_cast<CHttpDownloader*>(self)->Run();
  return 0;
}

void CHttpDownloader::ProgressLoop() {
  const HANDLE events[] = {start_event_.get(), stop_event_.get()};
  if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) return;
  while (::WaitForSingleObject(stop_event_.get(), kProgressIntervalMs) == WAIT_TIMEOUT) {
    ReportProgress();
  }
}

bool CHttpDownloader::QueryLength(double& length) {
  CWininetHttp client;
  client.SetTimeouts(stall_timeout_ms_, stall_timeout_ms_, stall_timeout_ms_);
  length = client.GetFileLength(url_.c_str());
  const DWORD last_error = ::GetLastError();
  QLOG(LV_ERR, L"download get file length last error:{0}") << last_error;
  QLOG(LV_ERR, L"download get file length http error:{0}") << client.GetErrorCode();
  // A length that comes with an error page is not the file's length.
  const bool ok = client.GetErrorCode() == HTTP_ERROR_NONE && client.GetHttpCode() == 200 &&
                  length >= 0;
  if (!ok) length = 0;
  SetExpectedSize(length);
  return ok;
}

void CHttpDownloader::Run() {
  {
    nbase::AutoLock hold(&state_lock_);
    start_ticks_ = end_ticks_ = NowTicks();
  }
  QLOG(LV_APP, L"------- start download -------");
  // Whatever this run ends with, an older file at the target must not pass for its result.
  ::DeleteFileW(TargetPath().c_str());
  ::DeleteFileW((TargetPath() + kMergeSuffix).c_str());
  if (!folder_.empty()) CreateDirectories(folder_);

  BeginReports();
  int32_t length = 0;
  const bool success = DownloadAndMerge(length);
  if (!success) RemovePartFiles();
  EndReports(success, length);
  QLOG(LV_APP, L"------- download finished: {0} -------") << (success ? 1 : 0);
  running_ = false;
  if (window_) ::PostMessageW(window_, WM_DOWNLOAD_FINISHED, 0, success ? 1 : 0);
}

bool CHttpDownloader::DownloadAndMerge(int32_t& length) {
  {
    nbase::AutoLock hold(&parts_lock_);
    parts_.clear();
  }
  if (!IsUsableDownload(url_, file_name_)) {
    QLOG(LV_ERR, L"download url not usable:{0}") << url_;
    return false;
  }
  double total = 0;
  const bool length_ok = QueryLength(total);
  QLOG(LV_APP, L"download file size:{0}") << static_cast<long long>(total);
  if (!length_ok) return false;
  if (total > kMaxDownloadLength) {
    QLOG(LV_ERR, L"download file too large:{0}") << static_cast<long long>(total);
    return false;
  }
  length = static_cast<int32_t>(total);

  QLOG(LV_APP, L"create download thread");
  const std::vector<ByteRange> ranges = SplitIntoRanges(length);
  std::vector<HANDLE> workers;
  {
    nbase::AutoLock hold(&parts_lock_);
    for (int i = 0; i < kDownloadPartCount; ++i) {
      const std::wstring part_path =
          TargetPath() + WStringPrintf(L".%ld-%ld", static_cast<long>(ranges[i].first),
                                       static_cast<long>(ranges[i].last));
      parts_.push_back(std::make_unique<DownloadPart>(this, i, ranges[i], length, url_,
                                                      part_path, stall_timeout_ms_));
      parts_.back()->Start();
      if (parts_.back()->worker()) workers.push_back(parts_.back()->worker());
    }
  }
  if (!workers.empty()) {
    ::WaitForMultipleObjects(static_cast<DWORD>(workers.size()), workers.data(), TRUE, INFINITE);
  }
  {
    nbase::AutoLock hold(&state_lock_);
    end_ticks_ = NowTicks();
  }

  for (const auto& part : parts_) {
    if (part->state() != PART_FINISHED) return false;
  }
  return Merge(length);
}

bool CHttpDownloader::Merge(int32_t length) {
  const std::wstring merging = TargetPath() + kMergeSuffix;
  int64_t written = 0;
  {
    nbase::win::ScopedHandle target(::CreateFileW(merging.c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                  nullptr));
    if (!target) {
      QLOG(LV_ERR, L"download merge: cannot create {0}, last error:{1}")
          << merging << ::GetLastError();
      return false;
    }
    std::vector<char> buffer(kCopyBlock);
    for (const auto& part : parts_) {
      if (part->size() <= 0) continue;
      const int64_t copied = AppendFile(target.get(), part->part_path(), buffer);
      if (copied != part->size()) {
        QLOG(LV_ERR, L"download merge: part {0} unusable, last error:{1}")
            << part->index() << ::GetLastError();
        return false;
      }
      written += copied;
    }
  }
  if (written != length) {
    QLOG(LV_ERR, L"download merge: {0} bytes instead of {1}") << written << length;
    return false;
  }
  if (!::MoveFileExW(merging.c_str(), TargetPath().c_str(), MOVEFILE_REPLACE_EXISTING)) {
    QLOG(LV_ERR, L"download merge: cannot move to target, last error:{0}") << ::GetLastError();
    return false;
  }
  RemovePartFiles();
  return true;
}

void CHttpDownloader::RemovePartFiles() {
  for (const auto& part : parts_) ::DeleteFileW(part->part_path().c_str());
  ::DeleteFileW((TargetPath() + kMergeSuffix).c_str());
}

void CHttpDownloader::BeginReports() {
  nbase::AutoLock hold(&report_lock_);
  reporting_ = true;
  last_percent_ = 0;
}

void CHttpDownloader::ReportProgress() {
  nbase::AutoLock hold(&report_lock_);
  if (!reporting_ || !window_) return;
  double downloaded = 0, total = 0;
  {
    nbase::AutoLock parts_hold(&parts_lock_);
    for (const auto& part : parts_) {
      downloaded += part->downloaded();
      total += part->size() > 0 ? part->size() : 0;
    }
  }
  // 100 % is kept for the file complete at its target.
  int percent = ProgressPercent(downloaded, total);
  if (percent > 99) percent = 99;
  if (percent <= last_percent_) return;
  last_percent_ = percent;
  DownloadProgress progress{this, percent, downloaded, total};
  ::SendMessageW(window_, WM_DOWNLOAD_PROGRESS, 0, reinterpret_cast<LPARAM>(&progress));
  QLOG(LV_APP, L"download progress:{0}") << percent;
}

void CHttpDownloader::EndReports(bool success, int32_t length) {
  nbase::AutoLock hold(&report_lock_);
  if (success && window_ && last_percent_ < 100) {
    last_percent_ = 100;
    DownloadProgress progress{this, 100, static_cast<double>(length),
                              static_cast<double>(length)};
    ::SendMessageW(window_, WM_DOWNLOAD_PROGRESS, 0, reinterpret_cast<LPARAM>(&progress));
    QLOG(LV_APP, L"download progress:{0}") << 100;
  }
  reporting_ = false;
}
