#include "installer/utils/log_startup.h"

#include "installer/utils/logger.h"
#include "installer/utils/path_util.h"

void StartLogging() {
  QLOG(LV_APP, L"app: started");
  const std::wstring path = LogFilePath(GetLocalAppDataDir(), GetExeBaseName());
  if (!path.empty()) {
    const std::wstring folder = FolderOfPath(path);
    if (!IsDirectory(folder)) CreateDirectories(folder);
  }
  Logger::Instance().SetThreshold(LV_APP);
  Logger::Instance().SetPath(path);
}
