// Times one download by the installer's range downloader, for the download benchmark.
//   download_harness <url> <folder>
// Prints "result=<0|1> seconds=<from Start to the finished message> elapsed=<the
// downloader's own figure> size=<bytes>" and exits 0 on success.
#include <windows.h>

#include <cstdio>
#include <string>

#include "installer/HttpClient/http_downloader.h"
#include "installer/utils/string_util.h"

namespace {

constexpr ULONGLONG kDeadlineMs = 600000;

LPARAM g_result = -1;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DOWNLOAD_FINISHED) {
    g_result = lparam;
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_harness <url> <folder>\n");
    return 2;
  }
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = &Procedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"QmDownloadHarness";
  ::RegisterClassW(&window_class);
  const HWND window = ::CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0,
                                        HWND_MESSAGE, nullptr, window_class.hInstance, nullptr);
  if (!window) return 2;

  CHttpDownloader downloader(window, Utf8ToUtf16(argv[1]), Utf8ToUtf16(argv[2]));
  LARGE_INTEGER started, finished;
  ::QueryPerformanceCounter(&started);
  downloader.Start();
  const ULONGLONG deadline = ::GetTickCount64() + kDeadlineMs;
  MSG message;
  while (g_result < 0 && ::GetTickCount64() < deadline) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  }
  ::QueryPerformanceCounter(&finished);
  std::printf("result=%d seconds=%.3f elapsed=%.3f size=%.0f\n", static_cast<int>(g_result),
              Seconds(started, finished), downloader.ElapsedSeconds(), downloader.ExpectedSize());
  std::fflush(stdout);
  ::DestroyWindow(window);
  return g_result == 1 ? 0 : 1;
}
