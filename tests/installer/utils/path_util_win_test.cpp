#include "installer/utils/path_util.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "installer/utils/string_util.h"
#include "tests/installer/utils/scratch_folder.h"

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[32768] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, 32768);
  return length > 0 && length < 32768 ? std::wstring(buffer, length) : std::wstring();
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A drive letter that names no drive here.
std::wstring AbsentDrive() {
  const DWORD drives = ::GetLogicalDrives();
  for (int letter = 'Q'; letter <= 'Y'; ++letter) {
    if (!(drives & (1u << (letter - 'A')))) return std::wstring(1, static_cast<wchar_t>(letter));
  }
  return std::wstring();
}

TEST(PathUtilWinTest, IsValidInstallPathNeedsAnExistingDriveRootAndNoReservedCharacters) {
  const std::wstring absent = AbsentDrive();
  ASSERT_FALSE(absent.empty());
  const struct {
    std::wstring path;
    bool valid;
  } cases[] = {
      {L"", false},
      {L"Program Files\\QivMoltrix", false},
      {absent + L":\\QivMoltrix", false},
      {L"C:\\a?b", false},
      {L"C:\\dir\\x:y", false},
      {L"C:\\dir*", false},
      {L"C:\\\"quoted\"", false},
      {L"C:\\a<b>", false},
      {L"C:\\a|b", false},
      {L"C:", true},
      {L"C:\\", true},
      {L"c:/program files//QivMoltrix", true},
      {L"C:\\Program Files\\QivMoltrix\\not\\created\\yet", true},
      {L"1:\\x", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidInstallPath(c.path), c.valid) << Utf16ToUtf8(c.path);
  }
}

TEST(PathUtilWinTest, GetFreeDiskSpaceMBAnswersForADriveLetterOnly) {
  ULARGE_INTEGER free_bytes = {};
  ASSERT_TRUE(::GetDiskFreeSpaceExW(L"C:\\", nullptr, nullptr, &free_bytes));
  const double expected = static_cast<double>(free_bytes.QuadPart) / 1048576.0;
  for (const wchar_t* path : {L"C:\\", L"C:/Program Files/QivMoltrix", L"c:\\x"}) {
    const double free_mb = GetFreeDiskSpaceMB(path);
    EXPECT_GT(free_mb, 0) << Utf16ToUtf8(path);
    // Other programs write meanwhile; the two answers only have to describe one disk.
    EXPECT_NEAR(free_mb, expected, 512.0) << Utf16ToUtf8(path);
  }
  for (const std::wstring& path : {std::wstring(L""), std::wstring(L"C:"),
                                   std::wstring(L"relative\\dir"), std::wstring(L"\\\\srv\\x"),
                                   AbsentDrive() + L":\\x"}) {
    EXPECT_EQ(GetFreeDiskSpaceMB(path), 0) << Utf16ToUtf8(path);
  }
}

TEST(PathUtilWinTest, KnownFoldersAreThoseOfTheCurrentUser) {
  const std::wstring local = GetLocalAppDataDir();
  ASSERT_FALSE(local.empty());
  EXPECT_TRUE(SameIgnoringCase(local, Environment(L"LOCALAPPDATA") + L"\\")) << Utf16ToUtf8(local);
  // Inside the prefix: drive_c/users/<user>/AppData/Local.
  const std::wstring users = L"C:\\users\\";
  const std::wstring tail = L"\\AppData\\Local\\";
  ASSERT_GT(local.size(), users.size() + tail.size());
  EXPECT_TRUE(SameIgnoringCase(local.substr(0, users.size()), users)) << Utf16ToUtf8(local);
  EXPECT_TRUE(SameIgnoringCase(local.substr(local.size() - tail.size()), tail))
      << Utf16ToUtf8(local);
  EXPECT_TRUE(IsDirectory(local));
  EXPECT_EQ(GetLocalAppDataDir(), local);

  const std::wstring roaming = GetRoamingAppDataDir();
  EXPECT_TRUE(SameIgnoringCase(roaming, Environment(L"APPDATA"))) << Utf16ToUtf8(roaming);
  EXPECT_NE(roaming.back(), L'\\');

  // A 64-bit process is not under WOW64: its Program Files folder is the native one.
  const std::wstring program_files = GetProgramFilesDir();
  EXPECT_TRUE(SameIgnoringCase(program_files, Environment(L"ProgramFiles") + L"\\"))
      << Utf16ToUtf8(program_files);
  EXPECT_TRUE(IsDirectory(program_files));
}

TEST(PathUtilWinTest, ExecutableNameFolderBaseNameAndLanguageCode) {
  EXPECT_EQ(GetExeFileName(), L"path_util_win_test.exe");
  const std::wstring folder = GetExeDir();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_NE(::GetFileAttributesW((folder + GetExeFileName()).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetExeBaseName(), L"path_util_win_test");
  // "path_util_win_test" splits at underscores into four pieces: the last is the code.
  const LanguageCodeAndPage language = GetLanguageCodeFromExeName();
  EXPECT_EQ(language.code, L"test");
  EXPECT_EQ(language.page, L"home");
}

TEST(PathUtilWinTest, CreateDirectoriesCreatesEveryMissingParent) {
  ScratchFolder scratch;
  const std::wstring deep = scratch.Path() + L"a\\b/c d\\e";
  EXPECT_TRUE(CreateDirectories(deep));
  EXPECT_TRUE(IsDirectory(scratch.Path() + L"a\\b\\c d\\e"));
  EXPECT_TRUE(CreateDirectories(deep)) << "an existing folder";
  EXPECT_TRUE(CreateDirectories(deep + L"\\"));

  ASSERT_TRUE(WriteFileBytes(scratch.File(L"file"), "x"));
  EXPECT_FALSE(CreateDirectories(scratch.Path() + L"file\\below"));
  EXPECT_FALSE(CreateDirectories(scratch.Path() + L"file"));
  EXPECT_FALSE(CreateDirectories(L""));
  EXPECT_FALSE(CreateDirectories(AbsentDrive() + L":\\x\\y"));
}

TEST(PathUtilWinTest, CreateFolderCreatesParentsAndAcceptsWhatExists) {
  ScratchFolder scratch;
  EXPECT_TRUE(CreateFolder(scratch.Path() + L"Install Dir\\Sub"));
  EXPECT_TRUE(IsDirectory(scratch.Path() + L"Install Dir\\Sub"));
  EXPECT_TRUE(CreateFolder(scratch.Path() + L"Install Dir\\Sub"));
  EXPECT_TRUE(CreateFolder(scratch.Path() + L"slashes/one/two"));
  EXPECT_TRUE(IsDirectory(scratch.Path() + L"slashes\\one\\two"));
  ASSERT_TRUE(WriteFileBytes(scratch.File(L"taken"), "x"));
  EXPECT_TRUE(CreateFolder(scratch.File(L"taken")));
  EXPECT_FALSE(CreateFolder(AbsentDrive() + L":\\x"));
}

TEST(PathUtilWinTest, WriteTextFileReplacesTheContentWithTheText) {
  ScratchFolder scratch;
  const std::wstring path = scratch.File(L"language");
  EXPECT_TRUE(WriteTextFile(path, L"English, the long name"));
  EXPECT_TRUE(WriteTextFile(path, L"English"));
  EXPECT_EQ(ReadFileBytes(path), "English") << "no byte-order mark, no line end, truncated";

  EXPECT_TRUE(WriteTextFile(path, std::wstring{L'F', L'r', L'a', L'n', L'\x00E7', L'a', L'i',
                                               L's'}));
  EXPECT_EQ(ReadFileBytes(path), "Fran\xC3\xA7" "ais");
  EXPECT_TRUE(WriteTextFile(path, L"a\nb"));
  EXPECT_EQ(ReadFileBytes(path), "a\r\nb");
  EXPECT_TRUE(WriteTextFile(path, L""));
  EXPECT_EQ(ReadFileBytes(path), "");

  EXPECT_FALSE(WriteTextFile(scratch.Path() + L"missing\\language", L"English"));
  EXPECT_FALSE(IsDirectory(scratch.Path() + L"missing"));
}

}  // namespace
