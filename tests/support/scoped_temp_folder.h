// A fresh folder under the temporary folder, removed with its content (one level of
// files and folders below it) when the owner goes away.
#pragma once

#include <string>

class ScopedTempFolder {
 public:
  ScopedTempFolder();
  ~ScopedTempFolder();
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

  bool valid() const { return !path_.empty(); }
  // Ends with a backslash.
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Helpers for tests that look at files.
bool ReadWholeFile(const std::wstring& path, std::string* bytes);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// Names of the entries of `folder` (which ends with a backslash), "." and ".." left out.
std::wstring ListFolder(const std::wstring& folder);
