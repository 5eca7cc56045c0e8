#include "installer/window/silent_install.h"

#include <memory>

#include "base/win/scoped_handle.h"
#include "installer/utils/logger.h"
#include "installer/utils/path_util.h"
#include "installer/utils/process_util.h"

namespace {

bool IsFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD WINAPI SilentInstallThread(void* parameter) {
  const std::unique_ptr<SilentInstallJob> job(static_cast<SilentInstallJob*>(parameter));
  const SilentInstallResult result = RunSilentInstall(*job);
  ::PostMessageW(job->window, WM_INSTALL_FINISHED, static_cast<WPARAM>(result.outcome),
                 static_cast<LPARAM>(result.exit_code));
  return 0;
}

}  // namespace

SilentInstallResult RunSilentInstall(const SilentInstallJob& job) {
  SilentInstallResult result;
  CreateFolder(job.folder);
  const ProcessOutcome setup = RunSilentSetup(job.setup_program, job.folder, job.password);
  QLOG(LV_APP, L"------- finish silent install -------");
  ::DeleteFileW(job.setup_program.c_str());
  result.exit_code = setup.exit_code;

  if (!setup.started) {
    QLOG(LV_ERR, L"silent install failed: the setup program {0} could not be started")
        << job.setup_program;
    result.outcome = InstallOutcome::kSetupNotStarted;
    return result;
  }
  if (setup.exit_code != 0) {
    QLOG(LV_ERR, L"silent install failed: the setup program ended with exit code {0}")
        << static_cast<unsigned long>(setup.exit_code);
    result.outcome = InstallOutcome::kSetupFailed;
    return result;
  }
  if (!IsFile(job.product_exe)) {
    QLOG(LV_ERR, L"silent install failed: no product executable at {0}") << job.product_exe;
    result.outcome = InstallOutcome::kProductMissing;
    return result;
  }

  WriteTextFile(job.language_file, job.language);
  const std::wstring first_run = job.default_viewer ? L"--install=1" : L"--install=0";
  const ProcessOutcome product = RunElevatedAndWait(job.product_exe, first_run);
  if (!product.started) {
    QLOG(LV_ERR, L"first run of the product {0} could not be started") << job.product_exe;
  }
  result.outcome = InstallOutcome::kInstalled;
  return result;
}

bool StartSilentInstall(const SilentInstallJob& job) {
  auto owned = std::make_unique<SilentInstallJob>(job);
  nbase::win::ScopedHandle thread(
      ::CreateThread(nullptr, 0, SilentInstallThread, owned.get(), 0, nullptr));
  if (!thread) {
    QLOG(LV_ERR, L"silent install thread could not be started, error {0}")
        << static_cast<unsigned long>(::GetLastError());
    return false;
  }
  owned.release();  // the thread owns the job now
  return true;
}
