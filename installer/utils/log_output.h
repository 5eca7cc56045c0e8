// The platform side of the log: the debugger output channel and the file append.
#pragma once

#include <string>

void WriteDebugOutput(const std::wstring& line);

// Appends `bytes` to the file at `path`, creating it when absent; a file created here
// starts with the UTF-8 byte-order mark. The whole append runs under one process-wide
// lock. A file that cannot be opened loses the line silently.
void AppendLogFile(const std::wstring& path, const std::string& bytes);
