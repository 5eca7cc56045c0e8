#include "installer/utils/log_startup.h"

std::wstring LogFilePath(const std::wstring& local_app_data_dir,
                         const std::wstring& exe_base_name) {
  // Without the folder the path would be relative: the log would land in whatever the
  // current folder is.
  if (local_app_data_dir.empty()) return std::wstring();
  return local_app_data_dir + L"Temp\\" + exe_base_name + L"_log.txt";
}
