#include "installer/utils/process_util.h"

#include <windows.h>
#include <netlistmgr.h>
#include <objbase.h>  // also for scoped_handle.h
#include <shellapi.h>
#include <versionhelpers.h>

#include <cstdint>
#include <vector>

#include "base/win/scoped_handle.h"
#include "installer/utils/logger.h"
#include "installer/utils/string_util.h"

namespace {

using nbase::win::ScopedComPtr;
using nbase::win::ScopedHandle;

constexpr DWORD kTaskListWaitMs = 10000;
constexpr DWORD kTaskListPipeBytes = 65536;
constexpr DWORD kTaskListReadBytes = 4095;

// Initialises COM on this thread for a scope. A thread that already lives in another
// apartment keeps it: the failed initialisation is then not balanced by an
// uninitialisation that would tear down the caller's COM.
class ScopedComInit {
 public:
  explicit ScopedComInit(DWORD model) noexcept
      : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
  ~ScopedComInit() {
    if (initialized_) ::CoUninitialize();
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;

 private:
  bool initialized_;
};

using CreateProcessWithTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD,
                                                     LPVOID, LPCWSTR, LPSTARTUPINFOW,
                                                     LPPROCESS_INFORMATION);

CreateProcessWithTokenFunction CreateProcessWithTokenEntry() {
  // Looked up once; the library stays loaded for the life of the process, so the
  // module handle is deliberately not owned.
  static const CreateProcessWithTokenFunction entry = [] {
    const HMODULE advapi = ::LoadLibraryW(L"ADVAPI32.dll");
    return advapi ? reinterpret_cast<CreateProcessWithTokenFunction>(
                        ::GetProcAddress(advapi, "CreateProcessWithTokenW"))
                  : nullptr;
  }();
  return entry;
}

// A primary token of the process that owns the window; none when any step fails.
ScopedHandle TokenOfWindowOwner(HWND window) {
  if (!window) return ScopedHandle();
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(window, &process_id);
  if (process_id == 0) return ScopedHandle();
  ScopedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id));
  if (!process) return ScopedHandle();
  ScopedHandle token;
  if (!::OpenProcessToken(process.get(), TOKEN_DUPLICATE, token.put())) return ScopedHandle();
  ScopedHandle primary;
  if (!::DuplicateTokenEx(token.get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                          TokenPrimary, primary.put())) {
    return ScopedHandle();
  }
  return primary;
}

bool StartWithTokenOfWindowOwner(HWND window, const std::wstring& program,
                                 const std::wstring& parameters) {
  const CreateProcessWithTokenFunction create_process_with_token = CreateProcessWithTokenEntry();
  if (!create_process_with_token) return false;
  ScopedHandle token = TokenOfWindowOwner(window);
  if (!token) return false;
  // The command line starts with the program itself: every C runtime reads its first
  // token as the program's name, so bare parameters would lose their first argument.
  std::wstring command_line = L"\"" + program + L"\"";
  if (!parameters.empty()) command_line += L" " + parameters;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!create_process_with_token(token.get(), LOGON_WITH_PROFILE, program.c_str(),
                                 &command_line[0], NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                                 &startup, &started)) {
    return false;
  }
  ScopedHandle process(started.hProcess);
  ScopedHandle thread(started.hThread);
  return true;
}

}  // namespace

bool IsWow64() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process"));
  BOOL wow64 = FALSE;
  return is_wow64_process && is_wow64_process(::GetCurrentProcess(), &wow64) && wow64;
}

int64_t GetUnixTime() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return UnixTimeFromFileTime((static_cast<uint64_t>(now.dwHighDateTime) << 32) |
                              now.dwLowDateTime);
}

std::string GetFileVersionString(const std::wstring& file_name) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file_name.c_str(), &ignored);
  if (size == 0) return std::string();
  std::vector<char> data(size);
  if (!::GetFileVersionInfoW(file_name.c_str(), 0, size, data.data())) return std::string();
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return std::string();
  }
  return StringPrintf("%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                      HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
}

void OpenUrl(const std::wstring& target) {
  ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool IsConnectedToInternet() {
  ScopedComInit com(COINIT_APARTMENTTHREADED);
  ScopedComPtr<INetworkListManager> manager;
  if (FAILED(::CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL,
                                __uuidof(INetworkListManager), manager.put_void())) ||
      !manager) {
    return true;
  }
  VARIANT_BOOL connected = VARIANT_FALSE;
  // MinGW's header names the property getter without its usual "get_" prefix; the
  // slot in the interface is the same.
#if defined(__MINGW32__)
  const HRESULT asked = manager->IsConnectedToInternet(&connected);
#else
  const HRESULT asked = manager->get_IsConnectedToInternet(&connected);
#endif
  if (FAILED(asked)) return true;
  return connected == VARIANT_TRUE;
}

ProcessOutcome RunSilentSetup(const std::wstring& setup_program, const std::wstring& folder,
                              const std::wstring& password) {
  return RunElevatedAndWait(setup_program, BuildSilentSetupParameters(folder, password));
}

ProcessOutcome RunElevatedAndWait(const std::wstring& program, const std::wstring& parameters) {
  // The shell may hand the start to COM-based handlers; the worker thread calling this
  // has no apartment of its own.
  ScopedComInit com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&info)) return ProcessOutcome();
  ScopedHandle process(info.hProcess);
  if (!process) return ProcessOutcome();
  ::WaitForSingleObject(process.get(), INFINITE);
  ProcessOutcome outcome;
  outcome.started = true;
  DWORD exit_code = 0;
  if (::GetExitCodeProcess(process.get(), &exit_code)) outcome.exit_code = exit_code;
  return outcome;
}

void RunAsDesktopUser(const std::wstring& program, const std::wstring& parameters) {
  // The taskbar belongs to the desktop shell, which the signed-in user runs without
  // elevation.
  RunAsOwnerOfWindow(::FindWindowW(L"Shell_TrayWnd", nullptr), program, parameters);
}

void RunAsOwnerOfWindow(HWND window, const std::wstring& program, const std::wstring& parameters) {
  if (::IsWindowsVistaOrGreater() && StartWithTokenOfWindowOwner(window, program, parameters)) {
    QLOG(LV_APP, L"start_run CreateLowIntegrityProcess {0}, {1}") << program << parameters;
    return;
  }
  const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", program.c_str(), parameters.c_str(),
                                           nullptr, SW_SHOW);
  const long long code = static_cast<long long>(reinterpret_cast<intptr_t>(result));
  if (code <= 32) {
    QLOG(LV_ERR, L"start_run {0}, {1} failed {2}") << program << parameters << code;
  } else {
    QLOG(LV_APP, L"start_run {0}, {1}") << program << parameters;
  }
}

bool IsProcessRunning(const std::wstring& image_name) {
  // A quote would end the filter early and smuggle in further switches.
  if (image_name.empty() || image_name.find(L'"') != std::wstring::npos) return false;

  SECURITY_ATTRIBUTES inheritable = {};
  inheritable.nLength = sizeof(inheritable);
  inheritable.bInheritHandle = TRUE;
  ScopedHandle read_end;
  ScopedHandle write_end;
  if (!::CreatePipe(read_end.put(), write_end.put(), &inheritable, kTaskListPipeBytes)) {
    return false;
  }
  // Only the write end goes to the child.
  ::SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = write_end.get();
  startup.hStdError = write_end.get();
  std::wstring command = BuildTaskListCommand(image_name);
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &started)) {
    return false;
  }
  ScopedHandle process(started.hProcess);
  ScopedHandle thread(started.hThread);
  write_end.reset();

  if (::WaitForSingleObject(process.get(), kTaskListWaitMs) == WAIT_TIMEOUT) {
    ::TerminateProcess(process.get(), 1);
  }
  // Read only what is already there: a child that hangs, or another process that
  // inherited the write end, must not block this (UI) thread.
  DWORD available = 0;
  if (!::PeekNamedPipe(read_end.get(), nullptr, 0, nullptr, &available, nullptr) ||
      available == 0) {
    return false;
  }
  char buffer[kTaskListReadBytes + 1] = {};
  DWORD read = 0;
  if (!::ReadFile(read_end.get(), buffer, available < kTaskListReadBytes ? available
                                                                         : kTaskListReadBytes,
                  &read, nullptr) ||
      read == 0) {
    return false;
  }
  const int length = ::MultiByteToWideChar(CP_ACP, 0, buffer, static_cast<int>(read), nullptr, 0);
  if (length <= 0) return false;
  std::wstring text(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, buffer, static_cast<int>(read), &text[0], length);
  return TaskListShowsImage(text, image_name);
}
