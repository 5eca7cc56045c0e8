// Creates every missing folder on the way to a file.
#pragma once

#include <string>

// For every backslash in `file_path`, from the left, creates the folder before it when it
// does not exist. Failures are left for the file's creation to report.
void CreateParentFolders(const std::wstring& file_path);
