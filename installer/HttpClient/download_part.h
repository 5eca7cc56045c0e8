// One byte range of a download, fetched on its own worker thread into the part file
// "<target>.<first>-<last>".
//
// Threads: the run thread creates the part, starts its worker and waits for it; the
// worker writes `downloaded` (through the owner's OnProgress) and `state`; the progress
// thread reads both while the worker runs, hence atomics. The part holds `this` in its
// thread: neither copied nor moved.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "base/win/scoped_handle.h"
#include "installer/HttpClient/download_plan.h"

class CHttpDownloader;

enum DownloadPartState { PART_RUNNING = 0, PART_FAILED = 1, PART_FINISHED = 2 };

class DownloadPart {
 public:
  DownloadPart(CHttpDownloader* owner, int index, const ByteRange& range, int32_t file_length,
               const std::wstring& url, const std::wstring& part_path, DWORD timeout_ms);
  DownloadPart(const DownloadPart&) = delete;
  DownloadPart& operator=(const DownloadPart&) = delete;

  // Deletes an old part file and starts the worker. An empty range needs no request and
  // is finished at once. False when no thread could be started (the part is failed).
  bool Start();
  // The worker's handle; null when no worker runs.
  HANDLE worker() const { return worker_.get(); }

  int state() const { return state_; }
  int index() const { return index_; }
  const ByteRange& range() const { return range_; }
  int32_t size() const { return range_.size(); }
  // Bytes received so far, at most the range's size.
  int32_t downloaded() const;
  void set_downloaded(int32_t bytes) { downloaded_ = bytes; }
  const std::wstring& part_path() const { return part_path_; }

 private:
  static DWORD WINAPI WorkerMain(void* self);
  void Download();

  CHttpDownloader* const owner_;
  std::atomic<int> state_{PART_RUNNING};
  const int index_;
  const ByteRange range_;
  const int32_t file_length_;
  std::atomic<int32_t> downloaded_{0};
  const std::wstring url_;
  const std::wstring part_path_;
  const DWORD timeout_ms_;
  nbase::win::ScopedHandle worker_;
};
