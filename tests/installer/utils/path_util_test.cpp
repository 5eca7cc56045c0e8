#include "installer/utils/path_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/utils/string_util.h"

namespace {

TEST(PathUtilTest, NormalizeDirPathGivesSingleBackslashesAndOneAtTheEnd) {
  const struct {
    std::wstring path, normalized;
  } cases[] = {
      {L"", L""},
      {L"C:", L"C:\\"},
      {L"C:\\", L"C:\\"},
      {L"C:/Program Files//QivMoltrix", L"C:\\Program Files\\QivMoltrix\\"},
      {L"D:\\\\\\\\a\\\\\\b//", L"D:\\a\\b\\"},
      {L"\\\\server\\share", L"\\server\\share\\"},
      {L"/", L"\\"},
      {L"relative/dir", L"relative\\dir\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalizeDirPath(c.path), c.normalized) << Utf16ToUtf8(c.path);
  }
}

TEST(PathUtilTest, ExeBaseNameNeedsExactlyOneDot) {
  const struct {
    std::wstring file_name, base_name;
  } cases[] = {
      {L"QivMoltrixSetup.exe", L"QivMoltrixSetup"},
      {L"QivMoltrixSetup_x_fr.exe", L"QivMoltrixSetup_x_fr"},
      {L"setup.v2.exe", L""},
      {L"setup", L""},
      {L"..setup..exe.", L"setup"},
      {L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExeBaseNameFromFileName(c.file_name), c.base_name) << Utf16ToUtf8(c.file_name);
  }
}

TEST(PathUtilTest, LanguageCodeIsTheLastOfThreeOrMoreUnderscorePieces) {
  const struct {
    std::wstring file_name, code;
  } cases[] = {
      {L"QivMoltrixSetup.exe", L"en"},
      {L"QivMoltrixSetup_fr.exe", L"en"},
      {L"QivMoltrixSetup_x_fr.exe", L"fr"},
      {L"QivMoltrixSetup_a_b_de-DE.exe", L"de-DE"},
      {L"QivMoltrixSetup__x___ja_.exe", L"ja"},
      {L"Setup_x_fr.v2.exe", L"en"},
      {L"Setup_x_fr", L"en"},
      {L"", L"en"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageCodeFromFileName(c.file_name), c.code) << Utf16ToUtf8(c.file_name);
  }
}

TEST(PathUtilTest, FileNameAndFolderOfAPath) {
  const struct {
    std::wstring path, file_name, folder;
  } cases[] = {
      {L"C:\\dir\\app.exe", L"app.exe", L"C:\\dir\\"},
      {L"C:/dir/sub\\app.exe", L"app.exe", L"C:/dir/sub\\"},
      {L"app.exe", L"app.exe", L""},
      {L"C:\\dir\\", L"", L"C:\\dir\\"},
      {L"", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileNameOfPath(c.path), c.file_name) << Utf16ToUtf8(c.path);
    EXPECT_EQ(FolderOfPath(c.path), c.folder) << Utf16ToUtf8(c.path);
  }
}

TEST(PathUtilTest, FolderChainListsEveryFolderBelowTheRoot) {
  const struct {
    std::wstring folder;
    std::vector<std::wstring> chain;
  } cases[] = {
      {L"C:\\a\\b", {L"C:\\a", L"C:\\a\\b"}},
      {L"C:/a/b/", {L"C:\\a", L"C:\\a\\b"}},
      {L"C:\\a\\\\b", {L"C:\\a", L"C:\\a\\\\b"}},
      {L"C:\\", {}},
      {L"C:", {}},
      {L"C:rel\\x", {L"C:rel", L"C:rel\\x"}},
      {L"\\\\server\\share\\a\\b", {L"\\\\server\\share\\a", L"\\\\server\\share\\a\\b"}},
      {L"\\\\server\\share", {}},
      {L"\\top\\x", {L"\\top", L"\\top\\x"}},
      {L"rel\\x", {L"rel", L"rel\\x"}},
      {L"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FolderChain(c.folder), c.chain) << Utf16ToUtf8(c.folder);
  }
}

}  // namespace
