// The installer's entry point: one instance per executable name, the log, then the UI
// thread until its loop ends.
#include <windows.h>

#include <string>

#include "base/message_loop/message_loop.h"
#include "base/win/scoped_handle.h"
#include "installer/main/main_thread.h"
#include "installer/utils/log_startup.h"
#include "installer/utils/logger.h"
#include "installer/utils/path_util.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Held, and owned, until the process ends: a second start under the same name finds it.
  const std::wstring base_name = GetExeBaseName();
  nbase::win::ScopedHandle instance_mutex(::CreateMutexW(nullptr, TRUE, base_name.c_str()));
  const DWORD create_error = ::GetLastError();
  if (!instance_mutex || create_error == ERROR_ALREADY_EXISTS) return 0;

  StartLogging();
  QLOG(LV_APP, L"------- start setup -------");
  QLOG(LV_APP, L"app: run message loop");
  {
    MainThread main_thread;
    main_thread.RunOnCurrentThread(nbase::MessageLoopKind::UI, nullptr);
  }
  QLOG(LV_APP, L"app: leave message loop");
  return 0;
}
