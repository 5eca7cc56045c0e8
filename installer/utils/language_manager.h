// The installer's languages: the list of lang.ini, the choice from the executable's
// language code, and the switch of the framework's string table to another language.
//
// UI thread only. The silent-installation worker gets a copy of the current name.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "installer/utils/ini_file.h"
#include "installer/utils/language_entry.h"

class LanguageManager {
 public:
  LanguageManager() = default;

  // (Re)reads lang.ini from the package, or from disk when no package is open, and
  // rebuilds the entries. A value needs a display name and a code, cut at commas.
  void LoadLanguageList();

  // Loads the list, then chooses the first language (name order) whose code occurs in
  // `code`. An empty code, or none matching, changes nothing.
  void SelectByCode(const std::wstring& code);

  // Reloads the framework's string table for a listed language and makes it current.
  // A name that is not listed changes nothing.
  void SetLanguage(const std::wstring& name);

  const std::wstring& CurrentLanguage() const { return current_; }
  std::vector<LanguageEntry> Entries() const;

 private:
  IniFile list_;
  std::wstring current_ = L"English";
  std::map<std::wstring, LanguageEntry> entries_;  // by name, ordered by code unit
};
