#include "installer/utils/ini_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;

Pairs ToPairs(const IniFile& ini) { return Pairs(ini.Entries().begin(), ini.Entries().end()); }

IniFile FromText(const std::string& text) {
  IniFile ini;
  EXPECT_TRUE(ini.LoadFromMemory(text.data(), text.size()));
  return ini;
}

// A file in the temporary folder, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& bytes) {
    path_ = std::filesystem::temp_directory_path() /
            ("ini_file_test_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + ".ini");
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  std::wstring path() const { return path_.wstring(); }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct LineCase {
  const char* name;
  std::string text;
  Pairs expected;
};

class IniLineRulesTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(IniLineRulesTest, StoresWhatTheRulesKeep) {
  EXPECT_EQ(ToPairs(FromText(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, IniLineRulesTest,
    ::testing::Values(
        LineCase{"TrailingSpacesOfAValueGo", "URL=http://h/a.exe \r\nX = y\t",
                 {{L"URL", L"http://h/a.exe"}, {L"X", L"y"}}},
        LineCase{"EqualsInsideTheValueDropsTheLine", "K=a=b\r\nL=1", {{L"L", L"1"}}},
        LineCase{"RepeatedOrTrailingEqualsAreOneSeparator", "A==1\r\nB=2=\r\n==C=3",
                 {{L"A", L"1"}, {L"B", L"2"}, {L"C", L"3"}}},
        LineCase{"SemicolonInTheKeyIsAComment", ";K=v\r\nk;x=v\r\nV=a;b", {{L"V", L"a;b"}}},
        LineCase{"LinesWithoutAValueAreIgnored", "[Section]\r\nK=\r\nK2 =  \r\n=V\r\nplain", {}},
        LineCase{"LaterKeyWins", "K=1\r\nK=2", {{L"K", L"2"}}},
        LineCase{"KeysAreCaseSensitiveAndOrderedByCodeUnit", "b=1\r\nB=2\r\na=3",
                 {{L"B", L"2"}, {L"a", L"3"}, {L"b", L"1"}}},
        LineCase{"ByteOrderMarkStaysOnTheFirstKey", "\xEF\xBB\xBFK=v\r\nL=w",
                 {{L"L", L"w"}, {std::wstring{0xFEFF, L'K'}, L"v"}}},
        LineCase{"TrimDropsSpacesAndCodesBelow30Only", " \t K \x1D = \x1E v \x01 ",
                 {{L"K", L"\x1E v"}}},
        LineCase{"ZeroByteEndsALine", std::string("A=1\0B=2", 7), {{L"A", L"1"}, {L"B", L"2"}}},
        LineCase{"LoneCarriageReturnDoesNotEndALine", "A=1\rB=2", {}},
        LineCase{"BadUtf8BecomesReplacementCharacters", "K=a\xFF" "b\xC3",
                 {{L"K", std::wstring{L'a', 0xFFFD, L'b', 0xFFFD}}}},
        LineCase{"Utf8TextIsDecoded", "\xE4\xB8\xAD=\xC3\xA9", {{std::wstring{0x4E2D}, std::wstring{0xE9}}}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(IniFileTest, GetTurnsEscapesIntoLineBreaksButEntriesKeepThem) {
  IniFile ini = FromText("K=one\\r\\ntwo\\nthree\\\\x");
  EXPECT_EQ(ini.Get(L"K"), L"one\r\ntwo\nthree\\\\x");
  EXPECT_EQ(ini.Entries().at(L"K"), L"one\\r\\ntwo\\nthree\\\\x");
}

TEST(IniFileTest, MissingOrEmptyKeyReadsEmpty) {
  IniFile ini = FromText("K=v");
  EXPECT_EQ(ini.Get(L"missing"), L"");
  EXPECT_EQ(ini.Get(L""), L"");
  EXPECT_EQ(ini.GetUtf8(L"missing"), "");
}

TEST(IniFileTest, GetUtf8EncodesTheValue) {
  IniFile ini = FromText("K=caf\xC3\xA9\\n");
  EXPECT_EQ(ini.GetUtf8(L"K"), "caf\xC3\xA9\n");
}

TEST(IniFileTest, SecondMemoryLoadKeepsKeysItDoesNotMention) {
  IniFile ini = FromText("A=1\r\nB=2");
  const std::string second = "B=20\r\nC=30";
  ini.LoadFromMemory(second.data(), second.size());
  EXPECT_EQ(ToPairs(ini), (Pairs{{L"A", L"1"}, {L"B", L"20"}, {L"C", L"30"}}));
  ini.Clear();
  EXPECT_TRUE(ini.Entries().empty());
}

TEST(IniFileTest, EmptyBlockLoadsNothing) {
  IniFile ini;
  EXPECT_TRUE(ini.LoadFromMemory(nullptr, 0));
  EXPECT_TRUE(ini.Entries().empty());
}

TEST(IniFileTest, FileLoadReplacesTheTable) {
  IniFile ini = FromText("OLD=1");
  TempFile file("\xEF\xBB\xBF;comment\r\nA=1\r\nB = two \r\n");
  ASSERT_TRUE(ini.LoadFromFile(file.path()));
  EXPECT_EQ(ToPairs(ini), (Pairs{{L"A", L"1"}, {L"B", L"two"}}));
}

TEST(IniFileTest, MissingFileFailsAndEmptiesTheTable) {
  IniFile ini = FromText("OLD=1");
  EXPECT_FALSE(ini.LoadFromFile(L"no_such_folder_for_ini_test/missing.ini"));
  EXPECT_TRUE(ini.Entries().empty());
}

TEST(IniFileTest, FileLinesLongerThan4095BytesArriveInPieces) {
  // 4095 bytes make the first piece, so "B=2" starts a line of its own; from memory the
  // same text is one line with two equals signs, which is ignored.
  const std::string text = "A=" + std::string(4093, 'x') + "B=2\r\nC=3";
  TempFile file(text);
  IniFile from_file;
  ASSERT_TRUE(from_file.LoadFromFile(file.path()));
  EXPECT_EQ(ToPairs(from_file),
            (Pairs{{L"A", std::wstring(4093, L'x')}, {L"B", L"2"}, {L"C", L"3"}}));
  EXPECT_EQ(ToPairs(FromText(text)), (Pairs{{L"C", L"3"}}));
}

TEST(IniFileTest, PieceCutInsideACharacterKeepsTheRestOfTheLine) {
  // The three-byte character straddles the 4095-byte border.
  TempFile file("A=" + std::string(4092, 'x') + "\xE4\xB8\xAD" "B=2");
  IniFile ini;
  ASSERT_TRUE(ini.LoadFromFile(file.path()));
  EXPECT_EQ(ini.Get(L"A"), std::wstring(4092, L'x') + wchar_t(0xFFFD));
  EXPECT_EQ(ini.Get(std::wstring{0xFFFD, 0xFFFD, L'B'}), L"2");
}

// The shipped files, byte for byte as they are packed.
std::string ShippedPath(const char* relative) {
  return std::string(QM_TEST_RESOURCES_DIR) + "/" + relative;
}

TEST(ShippedIniFilesTest, AreUtf8WithBomCrLfAndNoFinalLineEnd) {
  for (const char* name : {"product.ini", "lang.ini", "lang/English/gdstrings.ini"}) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadBytes(ShippedPath(name));
    ASSERT_GT(bytes.size(), 3u);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.back(), '\n');
    for (size_t i = 0; i < bytes.size(); ++i) {
      const bool pair_starts = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
      const bool pair_ends = bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r';
      if (bytes[i] == '\r') {
        ASSERT_TRUE(pair_starts) << "bare carriage return at " << i;
      } else if (bytes[i] == '\n') {
        ASSERT_TRUE(pair_ends) << "bare line feed at " << i;
      }
    }
    IniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(std::filesystem::path(ShippedPath(name)).wstring()));
    for (const auto& entry : ini.Entries()) {
      EXPECT_EQ(entry.first.find(wchar_t(0xFEFF)), std::wstring::npos) << "first line is no comment";
    }
  }
}

TEST(ShippedIniFilesTest, ProductIniHoldsTheProductKeys) {
  IniFile ini;
  ASSERT_TRUE(ini.LoadFromFile(std::filesystem::path(ShippedPath("product.ini")).wstring()));
  const Pairs expected = {
      {L"APPDATA_DIR", L"Moltrix"},
      {L"GA_API", L"Rb4uTq8ZwL-nC2pXhV7sKa"},
      {L"GA_EC", L"Installer"},
      {L"GA_EN", L"Qiv_Moltrix"},
      {L"GA_TID", L"G-Q7RM2XKD4B"},
      {L"GA_URL", L"https://analytics.example.com/mp/collect"},
      {L"INSTALL_DIR1", L"QivMoltrix"},
      {L"PROCESS_NAME", L"Moltrix.exe"},
      {L"PRODUCT_ID", L"1007"},
      {L"PRODUCT_NAME", L"Qiv Moltrix"},
      {L"URLID_DOWN", L"https://download.example.com/qivmoltrix/QivMoltrixFullSetup.exe"},
      {L"URLID_DOWN_X64", L"https://download.example.com/qivmoltrix/QivMoltrixFullSetup.exe"},
      {L"XD_URL", L"https://report.example.com/log/v1/api/report"},
  };
  EXPECT_EQ(ToPairs(ini), expected);
  EXPECT_EQ(ini.Get(L"INSTALL_DIR2"), L"");
  EXPECT_EQ(ini.Get(L"PKG_PSW"), L"");
  // The download URLs are written with a trailing space that the reader drops.
  EXPECT_NE(ReadBytes(ShippedPath("product.ini")).find("QivMoltrixFullSetup.exe \r\n"), std::string::npos);
}

TEST(ShippedIniFilesTest, LangIniListsEnglish) {
  IniFile ini;
  ASSERT_TRUE(ini.LoadFromFile(std::filesystem::path(ShippedPath("lang.ini")).wstring()));
  EXPECT_EQ(ToPairs(ini), (Pairs{{L"English", L"English,en"}}));
}

TEST(ShippedIniFilesTest, EnglishTableHoldsEveryText) {
  IniFile ini;
  ASSERT_TRUE(ini.LoadFromFile(
      std::filesystem::path(ShippedPath("lang/English/gdstrings.ini")).wstring()));
  const Pairs expected = {
      {L"STRID_BOX_APP_RUNNING", L"%s is currently running, please exit the program first."},
      {L"STRID_BOX_DISK_NOT_ENOUGH",
       L"There is not enough disk space to complete the installation. (%d MB of disk space is "
       L"required.)"},
      {L"STRID_BOX_NETWORK_ERROR",
       L"Network error. Please check your network connection and try again."},
      {L"STRID_BOX_QUIT", L"The installation is not completed yet! Are you sure you want to quit?"},
      {L"STRID_BOX_UNKOWN_ERROR",
       L"Something went wrong during installation. Please try again, or you can click Ignore to "
       L"manually access the full setup package from the official website."},
      {L"STRID_DOWNLOADPAGE_CAROUSEL0", L"Getting you up and running in few moments"},
      {L"STRID_DOWNLOADPAGE_CAROUSEL1", L"Everything is set, just 1-click to start"},
      {L"STRID_DOWNLOADPAGE_CAROUSEL2", L"Deploy your AI agent without the complexity"},
      {L"STRID_DOWNLOADPAGE_HIDE", L"Hide"},
      {L"STRID_DOWNLOADPAGE_INSTALLING", L"Installing, please wait..."},
      {L"STRID_DOWNLOADPAGE_INSTALL_TIP", L"Please do not go offline or restart your computer"},
      {L"STRID_ENDPAGE_COMPLETE", L"Installation Completed!"},
      {L"STRID_ENDPAGE_START", L"Start Now"},
      {L"STRID_HOMEPAGE_ASSOC_DEFAULT", L"Set as Default PDF Viewer"},
      {L"STRID_HOMEPAGE_CUSTOM", L"Custom Install"},
      {L"STRID_HOMEPAGE_INSTALL", L"Install Now"},
      {L"STRID_HOMEPAGE_INSTALL_PATH", L"Installation Path:"},
      {L"STRID_HOMEPAGE_INVALID_PATH", L"Invaild installation path."},
      {L"STRID_HOMEPAGE_LANGUAGE_OPTIONS", L"Language Options:"},
      {L"STRID_HOMEPAGE_LINK_EULA", L"EULA"},
      {L"STRID_HOMEPAGE_LINK_LEFT", L"By clicking \"Install Now\", you agree to the"},
      {L"STRID_HOMEPAGE_LINK_MIDDLE", L"and"},
      {L"STRID_HOMEPAGE_LINK_RIGHT", L"."},
      {L"STRID_HOMEPAGE_LINK_TERMS", L"Service Agreements"},
      {L"URLID_EULA", L"https://www.example.com/qivmoltrix/eula.html"},
      {L"URLID_TERMS", L"https://www.example.com/qivmoltrix/terms.html"},
  };
  EXPECT_EQ(ToPairs(ini), expected);
  EXPECT_EQ(ini.Get(L"URLID_INSTALL"), L"");
}

}  // namespace
