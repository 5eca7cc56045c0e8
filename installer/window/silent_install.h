// The silent installation that follows a successful download: run the downloaded setup
// program elevated and hidden into the chosen folder, record the chosen language for
// the product, and run the installed product once with its first-run switch.
//
// Threads: `StartSilentInstall` is called on the UI thread and returns at once; the
// job runs on a detached worker that owns its copy of everything it reads and reports
// only by posting WM_INSTALL_FINISHED to the job's window. Nothing waits for it; a
// window that is gone by then simply receives nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Posted by the worker: wParam is the InstallOutcome, lParam the setup's exit code.
constexpr UINT WM_INSTALL_FINISHED = WM_USER + 103;

enum class InstallOutcome : int {
  kInstalled = 0,
  kSetupNotStarted = 1,   // the setup program could not be started
  kSetupFailed = 2,       // it ended with a non-zero exit code
  kProductMissing = 3,    // it left no product executable behind
};

struct SilentInstallJob {
  HWND window = nullptr;        // receives WM_INSTALL_FINISHED
  std::wstring setup_program;   // the downloaded file; deleted once the setup ended
  std::wstring folder;          // the install-path text as the window shows it
  std::wstring password;        // empty: none
  std::wstring product_exe;     // where the setup leaves the product
  std::wstring language_file;   // the product reads the chosen language from here
  std::wstring language;
  bool default_viewer = true;   // "--install=1" when set, "--install=0" otherwise
};

struct SilentInstallResult {
  InstallOutcome outcome = InstallOutcome::kSetupNotStarted;
  uint32_t exit_code = 0;       // the setup's, when it was started
};

// Runs the whole job on the calling thread; posts nothing.
SilentInstallResult RunSilentInstall(const SilentInstallJob& job);

// Runs the job on a new detached thread, which posts WM_INSTALL_FINISHED when done.
// False when no thread could be started (the job is then dropped).
bool StartSilentInstall(const SilentInstallJob& job);
