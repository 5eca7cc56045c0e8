// Processes and system queries of the installer: elevation, the silent setup run, the
// running-product check, starts as the desktop user, versions and connectivity.
// None throws; platform failures give false, 0 or an empty string as stated.
#pragma once

#include <cstdint>
#include <string>

// The parameters given to the downloaded setup program:
// /DIR="folder" /dorvane_down [/PASSWORD="password"] /wait_run /verysilent
// Needs no OS facility.
std::wstring BuildSilentSetupParameters(const std::wstring& folder, const std::wstring& password);

#ifdef _WIN32
bool IsWow64();
int64_t GetUnixTime();  // seconds since 1970-01-01 UTC, from the system clock
std::string GetFileVersionString(const std::wstring& file_name);
void OpenUrl(const std::wstring& target);
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
ProcessOutcome RunElevatedAndWait(const std::wstring& program, const std::wstring& parameters);
void RunAsDesktopUser(const std::wstring& program, const std::wstring& parameters);
bool IsProcessRunning(const std::wstring& image_name);
#endif
