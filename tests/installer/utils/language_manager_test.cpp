// The language list, the choice by code and the switch of the string table, read from
// disk (no package open, files below the working folder) and from a package in memory.
#include "installer/utils/language_manager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <list>
#include <string>
#include <vector>

#include "tests/ui/core/zip_builder.h"
#include "ui/core/global_resources.h"
#include "ui/core/resource_package.h"

namespace {

namespace fs = std::filesystem;

const char kThreeLanguages[] =
    "\xEF\xBB\xBF;languages\r\n"
    "English = English,en\r\n"
    "Deutsch = Deutsch,de\r\n"
    "Francais = Fran\xC3\xA7" "ais,fr\r\n";

std::string Strings(const std::string& install, const std::string& extra = std::string()) {
  return ";strings\r\nSTRID_HOMEPAGE_INSTALL=" + install + "\r\n" + extra;
}

// Runs each test in a fresh working folder holding its own "resources" tree, with no
// package open and an empty string table; restores the working folder afterwards.
class LanguageManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    original_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("qm_language_" + std::string(::testing::UnitTest::GetInstance()
                                                ->current_test_info()
                                                ->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "resources" / "lang");
    fs::current_path(folder_);
    ui::CloseResourcePackage();
    ui::GlobalResources::TextIdTable().Clear();
  }

  void TearDown() override {
    ui::CloseResourcePackage();
    ui::GlobalResources::TextIdTable().Clear();
    fs::current_path(original_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  void WriteResource(const fs::path& relative, const std::string& bytes) {
    const fs::path path = folder_ / "resources" / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  void OpenPackage(const std::vector<ui::testing::ZipEntrySpec>& entries) {
    // The package reads the bytes in place: every archive stays until the test ends.
    archives_.push_back(ui::testing::BuildZip(entries));
    ASSERT_TRUE(ui::OpenResourcePackageFromMemory(archives_.back().data(),
                                                  archives_.back().size(), ""));
  }

  static std::wstring Text(const std::wstring& id) { return ui::GlobalResources::TextForId(id); }

  fs::path original_;
  fs::path folder_;
  std::list<std::string> archives_;
};

std::vector<std::wstring> Names(const std::vector<LanguageEntry>& entries) {
  std::vector<std::wstring> names;
  for (const LanguageEntry& entry : entries) names.push_back(entry.name);
  return names;
}

TEST_F(LanguageManagerTest, StartsEnglishWithNoEntries) {
  LanguageManager manager;
  EXPECT_EQ(manager.CurrentLanguage(), L"English");
  EXPECT_TRUE(manager.Entries().empty());
}

TEST_F(LanguageManagerTest, ListsLanguagesInNameOrderWithDisplayNameAndCode) {
  OpenPackage({ui::testing::Deflated("resources/lang.ini", std::string(kThreeLanguages) +
                                                               "NoComma = Nothing\r\n"
                                                               "Runs = ,,Runs Display,,,rn,x\r\n"
                                                               "Empty = ,\r\n")});
  LanguageManager manager;
  manager.LoadLanguageList();
  const std::vector<LanguageEntry> entries = manager.Entries();
  ASSERT_EQ(Names(entries),
            (std::vector<std::wstring>{L"Deutsch", L"English", L"Francais", L"Runs"}));
  EXPECT_EQ(entries[1].display_name, L"English");
  EXPECT_EQ(entries[1].code, L"en");
  EXPECT_EQ(entries[2].display_name, (std::wstring{L'F', L'r', L'a', L'n', 0x00E7, L'a', L'i', L's'}));
  EXPECT_EQ(entries[3].display_name, L"Runs Display");
  EXPECT_EQ(entries[3].code, L"rn");
}

TEST_F(LanguageManagerTest, SelectsTheFirstLanguageWhoseCodeOccursInTheGivenCode) {
  using ui::testing::Deflated;
  OpenPackage({Deflated("resources/lang.ini", kThreeLanguages),
               Deflated("resources/lang/English/gdstrings.ini", Strings("Install Now")),
               Deflated("resources/lang/Deutsch/gdstrings.ini", Strings("Jetzt installieren")),
               Deflated("resources/lang/Francais/gdstrings.ini", Strings("Installer"))});
  struct Case {
    const wchar_t* code;
    const wchar_t* language;
    const wchar_t* install_text;  // "" when the table was not loaded
  };
  const Case cases[] = {
      {L"en", L"English", L"Install Now"},
      {L"en-GB", L"English", L"Install Now"},   // the entry's code inside the given one
      {L"fr-de", L"Deutsch", L"Jetzt installieren"},  // name order decides, not position
      {L"e", L"English", L""},                  // not the reverse search
      {L"", L"English", L""},
      {L"zz", L"English", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.code)));
    ui::GlobalResources::TextIdTable().Clear();
    LanguageManager manager;
    manager.SelectByCode(c.code);
    EXPECT_EQ(manager.CurrentLanguage(), c.language);
    EXPECT_EQ(manager.Entries().size(), 3u) << "the list is loaded whatever the code";
    EXPECT_EQ(Text(L"STRID_HOMEPAGE_INSTALL"), c.install_text);
  }
}

TEST_F(LanguageManagerTest, AnUnlistedNameChangesNothing) {
  using ui::testing::Deflated;
  OpenPackage({Deflated("resources/lang.ini", kThreeLanguages),
               Deflated("resources/lang/Deutsch/gdstrings.ini", Strings("Jetzt installieren")),
               Deflated("resources/lang/Klingon/gdstrings.ini", Strings("Qapla"))});
  LanguageManager manager;
  manager.LoadLanguageList();
  manager.SetLanguage(L"Deutsch");
  manager.SetLanguage(L"Klingon");
  manager.SetLanguage(L"deutsch");
  EXPECT_EQ(manager.CurrentLanguage(), L"Deutsch");
  EXPECT_EQ(Text(L"STRID_HOMEPAGE_INSTALL"), L"Jetzt installieren");
}

TEST_F(LanguageManagerTest, FromThePackageTextsMissingInTheNewLanguageKeepTheOldOnes) {
  using ui::testing::Deflated;
  using ui::testing::Stored;
  OpenPackage({
      Stored("resources/lang.ini", kThreeLanguages),
      Deflated("resources/lang/English/gdstrings.ini",
               Strings("Install Now", "STRID_ENDPAGE_START=Start Now\r\n")),
      Deflated("resources/lang/Deutsch/gdstrings.ini", Strings("Jetzt installieren")),
  });
  // Files on disk are not read while a package is open.
  WriteResource("lang/Deutsch/gdstrings.ini", Strings("from disk"));

  LanguageManager manager;
  manager.SelectByCode(L"en");
  ASSERT_EQ(manager.Entries().size(), 3u);
  ASSERT_EQ(Text(L"STRID_ENDPAGE_START"), L"Start Now");
  manager.SetLanguage(L"Deutsch");
  EXPECT_EQ(Text(L"STRID_HOMEPAGE_INSTALL"), L"Jetzt installieren");
  EXPECT_EQ(Text(L"STRID_ENDPAGE_START"), L"Start Now");

  // A listed language without a table in the package keeps every text.
  manager.SetLanguage(L"Francais");
  EXPECT_EQ(manager.CurrentLanguage(), L"Francais");
  EXPECT_EQ(Text(L"STRID_HOMEPAGE_INSTALL"), L"Jetzt installieren");
}

TEST_F(LanguageManagerTest, FromThePackageReloadingTheListKeepsEarlierKeys) {
  using ui::testing::Stored;
  LanguageManager manager;
  OpenPackage({Stored("resources/lang.ini", "English = English,en\r\n")});
  manager.LoadLanguageList();
  OpenPackage({Stored("resources/lang.ini", "Deutsch = Deutsch,de\r\n")});
  manager.LoadLanguageList();
  EXPECT_EQ(Names(manager.Entries()), (std::vector<std::wstring>{L"Deutsch", L"English"}));
}

// Without a package the files are read from disk by their Windows paths
// ("resources\\lang.ini").
#ifdef _WIN32
TEST_F(LanguageManagerTest, TheShippedListAndCodeEnSelectEnglish) {
  const fs::path shipped = fs::path(QM_TEST_RESOURCES_DIR);
  fs::copy_file(shipped / "lang.ini", folder_ / "resources" / "lang.ini");
  fs::create_directories(folder_ / "resources" / "lang" / "English");
  fs::copy_file(shipped / "lang" / "English" / "gdstrings.ini",
                folder_ / "resources" / "lang" / "English" / "gdstrings.ini");
  LanguageManager manager;
  manager.SelectByCode(L"en");
  ASSERT_EQ(Names(manager.Entries()), std::vector<std::wstring>{L"English"});
  EXPECT_EQ(manager.CurrentLanguage(), L"English");
  EXPECT_EQ(Text(L"STRID_HOMEPAGE_INSTALL"), L"Install Now");
  EXPECT_EQ(Text(L"STRID_BOX_APP_RUNNING"), L"%s is currently running, please exit the program first.");
  EXPECT_EQ(Text(L"URLID_INSTALL"), L"");
}

TEST_F(LanguageManagerTest, OnDiskAMissingTableEmptiesTheStrings) {
  WriteResource("lang.ini", kThreeLanguages);
  WriteResource("lang/English/gdstrings.ini", Strings("Install Now"));
  LanguageManager manager;
  manager.SelectByCode(L"en");
  ASSERT_EQ(Text(L"STRID_HOMEPAGE_INSTALL"), L"Install Now");
  manager.SetLanguage(L"Francais");
  EXPECT_EQ(manager.CurrentLanguage(), L"Francais");
  EXPECT_EQ(Text(L"STRID_HOMEPAGE_INSTALL"), L"");
}

TEST_F(LanguageManagerTest, OnDiskAMissingListGivesNoLanguages) {
  LanguageManager manager;
  manager.SelectByCode(L"en");
  EXPECT_TRUE(manager.Entries().empty());
  EXPECT_EQ(manager.CurrentLanguage(), L"English");
}
#endif

}  // namespace
