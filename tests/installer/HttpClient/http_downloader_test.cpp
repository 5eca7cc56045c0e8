// The range downloader against the local test server: real WinINet, real threads, and a
// real (message-only) window of the test's own that receives the two messages.
#include "installer/HttpClient/http_downloader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "installer/utils/string_util.h"
#include "tests/support/scoped_temp_folder.h"
#include "tests/support/test_server_client.h"

namespace {

constexpr DWORD kDeadlineMs = 60000;
constexpr DWORD kShortStallMs = 2000;

std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned x = seed * 2654435761u + 7;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(x >> 23);
  }
  return bytes;
}

// What the window heard, in order.
struct Heard {
  std::vector<DownloadProgress> progress;
  std::vector<LPARAM> finished;
};

// A message-only window on the test's thread; it records both messages.
class MessageWindow {
 public:
  MessageWindow() {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = &MessageWindow::Procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"QmDownloaderTestWindow";
    ::RegisterClassW(&window_class);
    window_ = ::CreateWindowExW(0, L"QmDownloaderTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, window_class.hInstance, nullptr);
    if (window_) ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageWindow() {
    if (window_) ::DestroyWindow(window_);
  }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND get() const { return window_; }
  Heard& heard() { return heard_; }

  // Pumps messages until `count` finished messages arrived in all; false at the deadline.
  bool WaitForFinished(size_t count = 1, DWORD deadline_ms = kDeadlineMs) {
    const ULONGLONG deadline = ::GetTickCount64() + deadline_ms;
    while (heard_.finished.size() < count) {
      const ULONGLONG now = ::GetTickCount64();
      if (now >= deadline) return false;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }
    return true;
  }

  // Pumps messages for a while, for messages that must not come.
  void PumpFor(DWORD ms) {
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    for (ULONGLONG now = ::GetTickCount64(); now < deadline; now = ::GetTickCount64()) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_DOWNLOAD_PROGRESS) {
      self->heard_.progress.push_back(*reinterpret_cast<const DownloadProgress*>(lparam));
      return 0;
    }
    if (self && message == WM_DOWNLOAD_FINISHED) {
      self->heard_.finished.push_back(lparam);
      return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
  }

  HWND window_ = nullptr;
  Heard heard_;
};

class HttpDownloaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.valid()) << "QM_TEST_SERVER is not set";
    ASSERT_TRUE(server_.Reset());
    ASSERT_TRUE(folder_.valid());
    ASSERT_NE(window_.get(), nullptr);
  }
  void TearDown() override { server_.Reset(); }

  std::wstring Target(const std::string& name) const {
    return folder_.path() + Utf8ToUtf16(name);
  }

  // The Range values the server received for `path`, in no particular order.
  std::vector<std::string> RangesReceived(const std::string& path) {
    std::vector<std::string> ranges;
    Json::Value records;
    EXPECT_TRUE(server_.Requests(&records, path));
    for (const Json::Value& record : records) {
      for (const Json::Value& field : record["headers"]) {
        if (field[0].asString() == "Range") ranges.push_back(field[1].asString());
      }
    }
    std::sort(ranges.begin(), ranges.end());
    return ranges;
  }

  // Checks the progress reports of one run: each from `downloader`, growing, above 0,
  // at most 100, and the last one 100 when the run succeeded.
  void ExpectProgressOfOneRun(const std::vector<DownloadProgress>& progress,
                              const CHttpDownloader* downloader, bool success) {
    int last = 0;
    for (const DownloadProgress& p : progress) {
      EXPECT_EQ(p.downloader, downloader);
      EXPECT_GT(p.percent, last);
      EXPECT_LE(p.percent, 100);
      EXPECT_LE(p.downloaded, p.total);
      last = p.percent;
    }
    if (success) {
      ASSERT_FALSE(progress.empty());
      EXPECT_EQ(progress.back().percent, 100);
    } else {
      EXPECT_LT(last, 100);
    }
  }

  TestServerClient server_;
  ScopedTempFolder folder_;
  MessageWindow window_;
};

TEST_F(HttpDownloaderTest, FilesOfEverySizeArriveByteIdenticalThroughEightRanges) {
  struct Case {
    size_t size;
    std::vector<std::string> ranges;  // sorted as strings
  };
  const Case cases[] = {
      {0, {}},
      {1, {"bytes=0-0"}},
      {7, {"bytes=0-6"}},
      {8,
       {"bytes=0-0", "bytes=1-1", "bytes=2-2", "bytes=3-3", "bytes=4-4", "bytes=5-5", "bytes=6-6",
        "bytes=7-7"}},
      {805,
       {"bytes=0-99", "bytes=100-199", "bytes=200-299", "bytes=300-399", "bytes=400-499",
        "bytes=500-599", "bytes=600-699", "bytes=700-804"}},
      {3 * 1048576 + 13,
       {"bytes=0-393216", "bytes=1179651-1572867", "bytes=1572868-1966084",
        "bytes=1966085-2359301", "bytes=2359302-2752518", "bytes=2752519-3145740",
        "bytes=393217-786433", "bytes=786434-1179650"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("size " + std::to_string(c.size));
    ASSERT_TRUE(server_.Reset());
    const std::string name = "size" + std::to_string(c.size) + ".exe";
    const std::string bytes = Pattern(c.size, static_cast<unsigned>(c.size));
    ASSERT_TRUE(server_.PutFile(name, bytes));
    MessageWindow window;
    {
      CHttpDownloader downloader(window.get(), server_.WideUrl("/" + name + "?x=1&y=2"),
                                 folder_.path());
      EXPECT_EQ(downloader.TargetPath(), Target(name));
      ASSERT_TRUE(downloader.Start());
      ASSERT_TRUE(window.WaitForFinished());
      EXPECT_EQ(window.heard().finished, std::vector<LPARAM>{1});
      EXPECT_EQ(downloader.ExpectedSize(), static_cast<double>(c.size));
      ExpectProgressOfOneRun(window.heard().progress, &downloader, true);
    }
    std::string got;
    ASSERT_TRUE(ReadWholeFile(Target(name), &got));
    EXPECT_TRUE(got == bytes) << "the downloaded file differs";
    EXPECT_EQ(ListFolder(folder_.path()), Utf8ToUtf16(name)) << "part files left behind";
    EXPECT_EQ(RangesReceived("/" + name), c.ranges);
    ::DeleteFileW(Target(name).c_str());
  }
}

// Each fault is set for the next ranged request (or the next length query) of the file;
// the run must fail without leaving a file, and a run after clearing it must succeed.
TEST_F(HttpDownloaderTest, EveryFaultFailsTheRunCleanlyAndARetrySucceeds) {
  const std::string bytes = Pattern(200000, 42);
  ASSERT_TRUE(server_.PutFile("setup.exe", bytes));
  const char* faults[] = {
      "kind=404&ranged=1",
      "kind=status&code=500&ranged=1",
      "kind=short&ranged=1",
      "kind=reset&bytes=1000&ranged=1",
      "kind=stall&bytes=1000&seconds=60&ranged=1",
      "kind=ignore_range&ranged=1",
      "kind=wrong_range&shift=5&ranged=1",
      "kind=404&ranged=0",
      "kind=status&code=500&ranged=0",
      "kind=hang&seconds=60&ranged=0",
  };
  for (const char* fault : faults) {
    SCOPED_TRACE(fault);
    ASSERT_TRUE(server_.Reset());
    MessageWindow window;
    CHttpDownloader downloader(window.get(), server_.WideUrl("/setup.exe"), folder_.path(),
                               kShortStallMs);
    // The constructor's own length query must not meet the fault.
    for (ULONGLONG until = ::GetTickCount64() + kDeadlineMs;
         downloader.ExpectedSize() != 200000 && ::GetTickCount64() < until;) {
      window.PumpFor(20);
    }
    ASSERT_EQ(downloader.ExpectedSize(), 200000);
    ASSERT_TRUE(server_.AddFault(std::string(fault) + "&path=/setup.exe&count=1"));
    // An earlier complete file must not pass for the result of the failing run.
    ASSERT_TRUE(WriteWholeFile(Target("setup.exe"), bytes));

    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(window.WaitForFinished(1));
    EXPECT_EQ(window.heard().finished, std::vector<LPARAM>{0});
    ExpectProgressOfOneRun(window.heard().progress, &downloader, false);
    EXPECT_FALSE(FileExists(Target("setup.exe")));
    EXPECT_EQ(ListFolder(folder_.path()), L"") << "files left behind";

    ASSERT_TRUE(server_.Reset());
    window.heard().progress.clear();
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(window.WaitForFinished(2));
    EXPECT_EQ(window.heard().finished.back(), 1);
    ExpectProgressOfOneRun(window.heard().progress, &downloader, true);
    std::string got;
    ASSERT_TRUE(ReadWholeFile(Target("setup.exe"), &got));
    EXPECT_TRUE(got == bytes) << "the downloaded file differs";
    EXPECT_EQ(ListFolder(folder_.path()), L"setup.exe");
    ::DeleteFileW(Target("setup.exe").c_str());
  }
}

TEST_F(HttpDownloaderTest, LengthOf2GiBOrMoreFailsWithoutAnyRangeRequest) {
  for (const char* length : {"2147483648", "5000000000"}) {
    SCOPED_TRACE(length);
    ASSERT_TRUE(server_.Reset());
    ASSERT_TRUE(server_.AddFault(std::string("kind=length&path=/huge.exe&length=") + length));
    MessageWindow window;
    CHttpDownloader downloader(window.get(), server_.WideUrl("/huge.exe"), folder_.path());
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(window.WaitForFinished());
    EXPECT_EQ(window.heard().finished, std::vector<LPARAM>{0});
    EXPECT_TRUE(window.heard().progress.empty());
    EXPECT_EQ(downloader.ExpectedSize(), std::stod(length));
    EXPECT_TRUE(RangesReceived("/huge.exe").empty());
    EXPECT_EQ(ListFolder(folder_.path()), L"");
  }
}

TEST_F(HttpDownloaderTest, MissingFileGivesExpectedSize0AndFails) {
  MessageWindow window;
  CHttpDownloader downloader(window.get(), server_.WideUrl("/absent.exe"), folder_.path());
  ASSERT_TRUE(downloader.Start());
  ASSERT_TRUE(window.WaitForFinished());
  EXPECT_EQ(window.heard().finished, std::vector<LPARAM>{0});
  EXPECT_EQ(downloader.ExpectedSize(), 0);
  EXPECT_EQ(ListFolder(folder_.path()), L"");
}

TEST_F(HttpDownloaderTest, UnusableUrlFailsWithoutARequest) {
  for (const char* path : {"/dir/", "/a:b"}) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(server_.Reset());
    MessageWindow window;
    CHttpDownloader downloader(window.get(), server_.WideUrl(path), folder_.path());
    ASSERT_TRUE(downloader.Start());
    ASSERT_TRUE(window.WaitForFinished());
    EXPECT_EQ(window.heard().finished, std::vector<LPARAM>{0});
    EXPECT_TRUE(RangesReceived(path).empty());
  }
}

TEST_F(HttpDownloaderTest, FailedMergeReportsFailureAndLeavesNoFile) {
  ASSERT_TRUE(server_.PutFile("merge.exe", Pattern(5000, 3)));
  // A folder where the merge writes makes the merge fail after every part arrived.
  ASSERT_TRUE(::CreateDirectoryW((Target("merge.exe") + L".merging").c_str(), nullptr));
  CHttpDownloader downloader(window_.get(), server_.WideUrl("/merge.exe"), folder_.path());
  ASSERT_TRUE(downloader.Start());
  ASSERT_TRUE(window_.WaitForFinished());
  EXPECT_EQ(window_.heard().finished, std::vector<LPARAM>{0});
  ExpectProgressOfOneRun(window_.heard().progress, &downloader, false);
  EXPECT_EQ(RangesReceived("/merge.exe").size(), 8u);
  EXPECT_EQ(ListFolder(folder_.path()), L"merge.exe.merging") << "only the blocking folder";
  ::RemoveDirectoryW((Target("merge.exe") + L".merging").c_str());
}

TEST_F(HttpDownloaderTest, SlowDownloadReportsGrowingProgressAndItsDuration) {
  const std::string bytes = Pattern(1048576, 5);
  ASSERT_TRUE(server_.PutFile("slow.exe", bytes));
  // Eight connections at 96 KiB/s: well over a second, so several reports come.
  ASSERT_TRUE(server_.AddFault("kind=rate&rate=98304&path=/slow.exe&ranged=1"));
  CHttpDownloader downloader(window_.get(), server_.WideUrl("/slow.exe"), folder_.path());
  const ULONGLONG started = ::GetTickCount64();
  ASSERT_TRUE(downloader.Start());
  ASSERT_TRUE(window_.WaitForFinished());
  const double wall_seconds = (::GetTickCount64() - started) / 1000.0;
  EXPECT_EQ(window_.heard().finished, std::vector<LPARAM>{1});
  ExpectProgressOfOneRun(window_.heard().progress, &downloader, true);
  EXPECT_GE(window_.heard().progress.size(), 2u) << "no report before the final one";
  EXPECT_EQ(window_.heard().progress.back().total, 1048576);
  EXPECT_GT(downloader.ElapsedSeconds(), 0);
  EXPECT_LE(downloader.ElapsedSeconds(), wall_seconds + 0.1);
  std::string got;
  ASSERT_TRUE(ReadWholeFile(Target("slow.exe"), &got));
  EXPECT_TRUE(got == bytes);
}

TEST_F(HttpDownloaderTest, StartDuringARunIsRefusedAndRunsRepeat) {
  const std::string bytes = Pattern(400000, 6);
  ASSERT_TRUE(server_.PutFile("again.exe", bytes));
  ASSERT_TRUE(server_.AddFault("kind=rate&rate=200000&path=/again.exe&ranged=1"));
  CHttpDownloader downloader(window_.get(), server_.WideUrl("/again.exe"), folder_.path());
  for (int run = 1; run <= 3; ++run) {
    SCOPED_TRACE(run);
    window_.heard().progress.clear();
    ASSERT_TRUE(downloader.Start());
    EXPECT_FALSE(downloader.Start());
    ASSERT_TRUE(window_.WaitForFinished(run));
    EXPECT_EQ(window_.heard().finished.back(), 1);
    ExpectProgressOfOneRun(window_.heard().progress, &downloader, true);
    std::string got;
    ASSERT_TRUE(ReadWholeFile(Target("again.exe"), &got));
    EXPECT_TRUE(got == bytes);
  }
  window_.PumpFor(300);
  EXPECT_EQ(window_.heard().finished.size(), 3u);
}

TEST_F(HttpDownloaderTest, DestroyingDuringARunWaitsForItsThreads) {
  ASSERT_TRUE(server_.PutFile("gone.exe", Pattern(1048576, 8)));
  ASSERT_TRUE(server_.AddFault("kind=rate&rate=131072&path=/gone.exe&ranged=1"));
  {
    CHttpDownloader downloader(window_.get(), server_.WideUrl("/gone.exe"), folder_.path());
    ASSERT_TRUE(downloader.Start());
    // Let a progress message be on its way while the destructor runs on this thread.
    window_.PumpFor(700);
  }
  // The run ended inside the destructor; its result may still be queued.
  window_.PumpFor(100);
  EXPECT_EQ(window_.heard().finished.size(), 1u);
}

}  // namespace
