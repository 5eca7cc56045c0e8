// Processes and system queries of the installer: elevation, the silent setup run, the
// running-product check, starts as the desktop user, versions and connectivity.
// None throws; platform failures give false, 0 or an empty string as stated.
//
// Threads: any thread may call these. The runs that wait (RunSilentSetup,
// RunElevatedAndWait) block their caller until the program ends; they belong on a
// worker thread.
#pragma once

#include <cstdint>
#include <string>

// The parameters given to the downloaded setup program:
// /DIR="folder" /dorvane_down [/PASSWORD="password"] /wait_run /verysilent
// Needs no OS facility.
std::wstring BuildSilentSetupParameters(const std::wstring& folder, const std::wstring& password);

// Seconds since 1970-01-01 UTC of a file time (100-ns units since 1601-01-01 UTC),
// rounded toward zero. Needs no OS facility.
int64_t UnixTimeFromFileTime(uint64_t file_time);

// The command that asks tasklist for the processes of one image name:
// tasklist /FI "IMAGENAME eq name" /NH
// Needs no OS facility.
std::wstring BuildTaskListCommand(const std::wstring& image_name);

// Whether tasklist's answer holds a row of a process named exactly `image_name` (letter
// case included): a line that starts with the name, then spaces, then the process id.
// Other text that merely contains the name, such as the "INFO: No tasks are running
// which match the specified criteria." line, is no row. Needs no OS facility.
bool TaskListShowsImage(const std::wstring& answer, const std::wstring& image_name);

#ifdef _WIN32
#include <windows.h>

bool IsWow64();
int64_t GetUnixTime();  // seconds since 1970-01-01 UTC, from the system clock
// "major.minor.build.revision" of the file's version resource; empty without one. A
// bare file name is looked up in the application's folder first.
std::string GetFileVersionString(const std::wstring& file_name);
void OpenUrl(const std::wstring& target);
// Asks the Network List Manager; true also when it cannot be asked. Leaves the calling
// thread's COM state as it found it.
bool IsConnectedToInternet();

// How an elevated, waited-for run ended: whether the program could be started at all,
// and its exit code when it was.
struct ProcessOutcome {
  bool started = false;
  uint32_t exit_code = 0;
};

// Runs the setup program elevated with BuildSilentSetupParameters and waits for it.
ProcessOutcome RunSilentSetup(const std::wstring& setup_program, const std::wstring& folder,
                              const std::wstring& password);
// Runs the program elevated ("runas") with no window shown and waits without time limit.
ProcessOutcome RunElevatedAndWait(const std::wstring& program, const std::wstring& parameters);
// Starts the program with the token of the desktop shell (the owner of the taskbar
// window), so that it does not inherit the installer's elevation; falls back to the
// shell's "open". Logs how it was started.
void RunAsDesktopUser(const std::wstring& program, const std::wstring& parameters);
// The same start with the token of the process that owns `window` (RunAsDesktopUser
// passes the taskbar window). A null window, as in a session without a shell, goes
// straight to the fall-back.
void RunAsOwnerOfWindow(HWND window, const std::wstring& program, const std::wstring& parameters);
// Asks tasklist for the image name and looks for its row (TaskListShowsImage). tasklist
// matches names without regard to letter case but prints each process's own spelling,
// so a name in another letter case is not found. An empty name, or one holding a
// double quote, is never running. Waits at most 10 s for tasklist.
bool IsProcessRunning(const std::wstring& image_name);
#endif
