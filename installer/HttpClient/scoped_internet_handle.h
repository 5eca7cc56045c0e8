// Owner of a WinINet handle (session, connection or request).
#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/win/scoped_handle.h"

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { ::InternetCloseHandle(h); }
};
using ScopedInternetHandle = nbase::win::ScopedAny<InternetHandleTraits>;
