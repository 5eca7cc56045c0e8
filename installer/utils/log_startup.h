// Start-up of the process-wide log: the file goes to the local application-data
// folder's "Temp\" and is named after the executable's base name.
#pragma once

#include <string>

// The log file of an executable: `local_app_data_dir` (ending with "\") + "Temp\" +
// base name + "_log.txt"; empty when the folder is unknown. Needs no OS facility.
std::wstring LogFilePath(const std::wstring& local_app_data_dir, const std::wstring& exe_base_name);

#ifdef _WIN32
// Logs "app: started" (debugger output only, since no file is set yet), creates the
// log folder when missing, then sets the threshold to LV_APP and the file path. When
// the local application-data folder cannot be found the log stays on the debugger
// output. Called once by the entry point before anything else logs; cannot fail.
void StartLogging();
#endif
