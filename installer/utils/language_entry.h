// One language of the installer as lang.ini lists it.
#pragma once

#include <string>

struct LanguageEntry {
  std::wstring name;          // key in lang.ini and folder below "lang\"
  std::wstring display_name;  // shown in the language list
  std::wstring code;          // matched against the executable's language code
};
