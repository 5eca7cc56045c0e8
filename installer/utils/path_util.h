// Paths and folders of the installer: the known folders, the executable's own name,
// install-path checks and folder creation. Failures give an empty string, false or 0.
#pragma once

#include <string>

// Empty stays empty; otherwise every "/" becomes "\", doubled separators collapse, and
// the result ends with exactly one "\". Needs no OS facility.
std::wstring NormalizeDirPath(const std::wstring& path);

// Base name of an executable file name: split at dots (empty pieces dropped); exactly
// two pieces give the first, anything else gives "". Needs no OS facility.
std::wstring ExeBaseNameFromFileName(const std::wstring& file_name);

// Language code of an executable file name: "en" unless the name splits at dots into
// exactly two pieces whose first splits at underscores into three or more pieces; then
// the last of those. Needs no OS facility.
std::wstring LanguageCodeFromFileName(const std::wstring& file_name);

struct LanguageCodeAndPage {
  std::wstring code;
  std::wstring page;  // always "home"
};

#ifdef _WIN32
bool IsValidInstallPath(const std::wstring& path);
double GetFreeDiskSpaceMB(const std::wstring& path);

std::wstring GetProgramFilesDir();    // ends with a separator; cached
std::wstring GetLocalAppDataDir();    // ends with "\"; cached; empty on failure
std::wstring GetRoamingAppDataDir();  // no trailing separator; empty on failure
std::wstring GetExeFileName();
std::wstring GetExeDir();             // ends with the separator
std::wstring GetExeBaseName();
LanguageCodeAndPage GetLanguageCodeFromExeName();

bool CreateDirectories(const std::wstring& folder);
bool CreateFolder(const std::wstring& folder);
void WriteTextFile(const std::wstring& path, const std::wstring& text);
#endif
