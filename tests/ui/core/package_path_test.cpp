#include "ui/core/package_path.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

struct PathCase {
  const wchar_t* input;
  const wchar_t* expected;
};

class PackagePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PackagePathTest, GivesTheArchiveForm) {
  EXPECT_EQ(NormalizePackagePath(GetParam().input), GetParam().expected) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PackagePathTest,
    ::testing::Values(
        PathCase{L"resources\\themes\\default\\form\\../public/CheckBox/check_no.png",
                 L"resources/themes/default/public/CheckBox/check_no.png"},
        PathCase{L"resources\\product.ini", L"resources/product.ini"},
        PathCase{L"resources//lang///English\\\\gdstrings.ini", L"resources/lang/English/gdstrings.ini"},
        PathCase{L"/resources/product.ini", L"resources/product.ini"},
        PathCase{L"./resources/./lang/./x.ini", L"resources/lang/x.ini"},
        PathCase{L"a/b/c/../../d", L"a/d"},
        PathCase{L"a/../b", L"b"},
        PathCase{L"a/b/..", L"a/b/.."},          // only a step followed by a slash counts
        PathCase{L"a/.b/..c/x", L"a/.b/..c/x"},  // dots inside names are names
        PathCase{L"folder/", L"folder/"},
        PathCase{L"", L""},
        // Climbing above the start names nothing in the archive.
        PathCase{L"../resources/product.ini", L""},
        PathCase{L"..\\x", L""},
        PathCase{L"a/../../x", L""},
        PathCase{L"./../x", L""}));

TEST(PackagePathTest, FileFormUsesSingleBackslashes) {
  EXPECT_EQ(NormalizeFilePath(L"resources/themes//default\\\\form\\x.xml"),
            L"resources\\themes\\default\\form\\x.xml");
  EXPECT_EQ(NormalizeFilePath(L"../public/CheckBox/check_no.png"), L"..\\public\\CheckBox\\check_no.png");
  // One pass: three backslashes in a row leave two.
  EXPECT_EQ(NormalizeFilePath(L"a\\\\\\b"), L"a\\\\b");
  EXPECT_EQ(NormalizeFilePath(L""), L"");
}

}  // namespace
}  // namespace ui
