#include "installer/HttpClient/download_part.h"

#include "installer/HttpClient/http_downloader.h"
#include "installer/HttpClient/wininet_http.h"
#include "installer/utils/logger.h"
#include "installer/utils/string_util.h"

namespace {

int64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

DownloadPart::DownloadPart(CHttpDownloader* owner, int index, const ByteRange& range,
                           int32_t file_length, const std::wstring& url,
                           const std::wstring& part_path, DWORD timeout_ms)
    : owner_(owner),
      index_(index),
      range_(range),
      file_length_(file_length),
      url_(url),
      part_path_(part_path),
      timeout_ms_(timeout_ms) {}

int32_t DownloadPart::downloaded() const {
  const int32_t bytes = downloaded_;
  return bytes < range_.size() ? bytes : range_.size();
}

bool DownloadPart::Start() {
  ::DeleteFileW(part_path_.c_str());
  if (range_.size() <= 0) {
    state_ = PART_FINISHED;
    return true;
  }
  worker_.reset(::CreateThread(nullptr, 0, &DownloadPart::WorkerMain, this, 0, nullptr));
  if (!worker_) {
    QLOG(LV_ERR, L"download thread not created. last error:{0},thread index:{1}")
        << ::GetLastError() << index_;
    state_ = PART_FAILED;
    return false;
  }
  return true;
}

DWORD WINAPI DownloadPart::WorkerMain(void* self) {
  static_cast<DownloadPart*>(self)->Download();
  return 0;
}

void DownloadPart::Download() {
  CWininetHttp client;
  client.SetCallback(owner_, this);
  client.SetTimeouts(timeout_ms_, timeout_ms_, timeout_ms_);
  client.AddHeader("Range", StringPrintf("bytes=%ld-%ld", static_cast<long>(range_.first),
                                         static_cast<long>(range_.last))
                                .c_str());
  if (!client.DownloadFile(url_.c_str(), part_path_.c_str())) {
    const DWORD last_error = ::GetLastError();
    QLOG(LV_ERR, L"download failed error. last error:{0},thread index:{1}")
        << last_error << index_;
    QLOG(LV_ERR, L"download failed error:{0},thread index:{1}")
        << client.GetErrorCode() << index_;
    state_ = PART_FAILED;
    return;
  }
  // A server that ignores the Range header, or answers another range, must not have its
  // bytes merged into the target.
  const std::string content_range = client.GetResponseField("Content-Range");
  if (!PartAnswerMatches(client.GetHttpCode(), content_range, range_, file_length_,
                         FileSize(part_path_))) {
    QLOG(LV_ERR, L"download part rejected. status:{0},Content-Range:{1},thread index:{2}")
        << client.GetHttpCode() << Utf8ToUtf16(content_range) << index_;
    state_ = PART_FAILED;
    return;
  }
  QLOG(LV_APP, L"download fnished thread index:{0}") << index_;
  state_ = PART_FINISHED;
}
