#include "installer/utils/language_manager.h"

#include "installer/utils/string_util.h"
#include "ui/core/global_resources.h"
#include "ui/core/resource_package.h"

namespace {

const wchar_t kResourceRoot[] = L"resources\\";

}  // namespace

void LanguageManager::LoadLanguageList() {
  entries_.clear();
  const std::wstring path = std::wstring(kResourceRoot) + L"lang.ini";
  if (ui::IsUsingPackage()) {
    const auto bytes = ui::ReadPackageFile(path);
    if (bytes) list_.LoadFromMemory(bytes->data(), bytes->size());
  } else {
    list_.LoadFromFile(path);
  }
  for (const auto& key_value : list_.Entries()) {
    const std::vector<std::wstring> pieces = SplitString(list_.Get(key_value.first), L",");
    if (pieces.size() < 2) continue;
    entries_.emplace(key_value.first, LanguageEntry{key_value.first, pieces[0], pieces[1]});
  }
}

void LanguageManager::SelectByCode(const std::wstring& code) {
  LoadLanguageList();
  if (code.empty()) return;
  for (const auto& name_entry : entries_) {
    if (code.find(name_entry.second.code) != std::wstring::npos) {
      SetLanguage(name_entry.first);
      return;
    }
  }
}

void LanguageManager::SetLanguage(const std::wstring& name) {
  const auto found = entries_.find(name);
  if (found == entries_.end()) return;
  const std::wstring path = std::wstring(kResourceRoot) + L"lang\\" + found->second.name +
                            L"\\gdstrings.ini";
  IniFile& table = ui::GlobalResources::TextIdTable();
  if (ui::IsUsingPackage()) {
    // Ids missing from the new table keep the previous language's text.
    const auto bytes = ui::ReadPackageFile(path);
    if (bytes) table.LoadFromMemory(bytes->data(), bytes->size());
  } else {
    table.LoadFromFile(path);
  }
  current_ = name;
}

std::vector<LanguageEntry> LanguageManager::Entries() const {
  std::vector<LanguageEntry> entries;
  entries.reserve(entries_.size());
  for (const auto& name_entry : entries_) entries.push_back(name_entry.second);
  return entries;
}
