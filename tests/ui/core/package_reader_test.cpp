#include "ui/core/package_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/ui/core/zip_builder.h"

namespace ui {
namespace {

using testing::BuildZip;
using testing::Deflated;
using testing::Folder;
using testing::Stored;
using testing::ZipEntrySpec;
using testing::ZipLayout;

const std::string kText =
    "Line one of a text that compresses well.\r\nLine one of a text that compresses well.\r\n";

std::vector<ZipEntrySpec> SampleEntries() {
  return {Folder("resources/"), Deflated("resources/product.ini", kText),
          Folder("resources/themes/"), Stored("resources/themes/logo.png", "\x89PNG-bytes"),
          Stored("resources/empty.txt", "")};
}

// The reader keeps pointing into `bytes`, which must outlive it.
std::unique_ptr<PackageReader> OpenBytes(const std::string& bytes, PackageResult* result = nullptr,
                                         const std::string& password = "") {
  return PackageReader::Open(bytes.data(), bytes.size(), password, result);
}
std::unique_ptr<PackageReader> OpenBytes(std::string&& bytes, PackageResult* result = nullptr,
                                         const std::string& password = "") = delete;

// Extracts the entry at `path` (found ignoring case) into a buffer of its declared size.
PackageResult ReadEntry(const PackageReader& reader, const std::wstring& path, std::string* out) {
  PackageEntry entry;
  const PackageResult found = reader.FindEntry(path, true, &entry);
  if (found != PackageResult::kOk) return found;
  out->assign(static_cast<size_t>(entry.uncompressed_size), '\0');
  return reader.Extract(entry.index, &(*out)[0], out->size());
}

TEST(PackageReaderTest, FindsAndExtractsStoredAndDeflatedEntries) {
  const std::string zip = BuildZip(SampleEntries());
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->EntryCount(), 5);

  PackageEntry entry;
  ASSERT_EQ(reader->FindEntry(L"resources/product.ini", false, &entry), PackageResult::kOk);
  EXPECT_EQ(entry.index, 1);
  EXPECT_EQ(entry.name, L"resources/product.ini");
  EXPECT_EQ(entry.uncompressed_size, kText.size());
  EXPECT_LT(entry.compressed_size, kText.size());
  EXPECT_EQ(entry.attributes, kPackageArchive);

  std::string text;
  EXPECT_EQ(ReadEntry(*reader, L"resources/product.ini", &text), PackageResult::kOk);
  EXPECT_EQ(text, kText);
  std::string logo;
  EXPECT_EQ(ReadEntry(*reader, L"resources/themes/logo.png", &logo), PackageResult::kOk);
  EXPECT_EQ(logo, "\x89PNG-bytes");

  ASSERT_EQ(reader->FindEntry(L"resources/themes/", false, &entry), PackageResult::kOk);
  EXPECT_EQ(entry.attributes, kPackageDirectory);
}

TEST(PackageReaderTest, LetterCaseCountsOnlyWhenAsked) {
  const std::string zip = BuildZip(SampleEntries());
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  PackageEntry entry;
  EXPECT_EQ(reader->FindEntry(L"RESOURCES/Themes/LOGO.png", true, &entry), PackageResult::kOk);
  EXPECT_EQ(entry.index, 3);
  EXPECT_EQ(reader->FindEntry(L"RESOURCES/Themes/LOGO.png", false, &entry), PackageResult::kNotFound);
  EXPECT_EQ(entry.index, -1);
  EXPECT_EQ(reader->FindEntry(L"resources/missing.ini", true, &entry), PackageResult::kNotFound);
  EXPECT_EQ(reader->FindEntry(L"", true, &entry), PackageResult::kNotFound);
}

TEST(PackageReaderTest, OnlyAsciiLettersFoldCase) {
  // U+00E9 and U+00C9 differ in UTF-8 by more than the ASCII case bit.
  const std::string zip = BuildZip({Stored("caf\xC3\xA9.txt", "x")});
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->FindEntry(std::wstring{L'C', L'A', L'F', 0xE9, L'.', L't', L'x', L't'}, true, nullptr),
            PackageResult::kOk);
  EXPECT_EQ(reader->FindEntry(std::wstring{L'c', L'a', L'f', 0xC9, L'.', L't', L'x', L't'}, true, nullptr),
            PackageResult::kNotFound);
}

TEST(PackageReaderTest, NamesOf256Utf8BytesOrMoreAreNeverFound) {
  const std::string longest(255, 'a');
  const std::string too_long(256, 'b');
  const std::string zip = BuildZip({Stored(longest, "255"), Stored(too_long, "256")});
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  std::string data;
  EXPECT_EQ(ReadEntry(*reader, std::wstring(255, L'a'), &data), PackageResult::kOk);
  EXPECT_EQ(data, "255");
  EXPECT_EQ(ReadEntry(*reader, std::wstring(256, L'b'), &data), PackageResult::kNotFound);
  // 86 three-byte characters are 258 bytes.
  EXPECT_EQ(reader->FindEntry(std::wstring(86, wchar_t(0x4E2D)), true, nullptr), PackageResult::kNotFound);
}

struct EndRecordCase {
  const char* name;
  ZipLayout layout;
  bool opens;
};

class PackageEndRecordTest : public ::testing::TestWithParam<EndRecordCase> {};

TEST_P(PackageEndRecordTest, AcceptsOnlyASingleDiskArchiveWithinReach) {
  const std::string zip = BuildZip(SampleEntries(), GetParam().layout);
  PackageResult result = PackageResult::kOk;
  auto reader = OpenBytes(zip, &result);
  EXPECT_EQ(reader != nullptr, GetParam().opens);
  if (!GetParam().opens) {
    EXPECT_EQ(result, PackageResult::kCannotOpen);
    return;
  }
  std::string text;
  EXPECT_EQ(ReadEntry(*reader, L"resources/product.ini", &text), PackageResult::kOk);
  EXPECT_EQ(text, kText);
}

ZipLayout WithComment(size_t length) {
  ZipLayout layout;
  layout.comment.assign(length, 'c');
  return layout;
}

ZipLayout WithTrailing(size_t length) {
  ZipLayout layout;
  layout.trailing.assign(length, 't');
  return layout;
}

ZipLayout WithPrefix(size_t length) {
  ZipLayout layout;
  layout.prefix.assign(length, 'p');
  return layout;
}

ZipLayout WithDisks(uint16_t this_disk, uint16_t directory_disk, int count_delta) {
  ZipLayout layout;
  layout.this_disk = this_disk;
  layout.directory_disk = directory_disk;
  layout.entries_on_disk_delta = count_delta;
  return layout;
}

ZipLayout WithDirectoryOffsetDelta(int64_t delta) {
  ZipLayout layout;
  layout.directory_offset_delta = delta;
  return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PackageEndRecordTest,
    ::testing::Values(
        EndRecordCase{"Plain", ZipLayout(), true},
        EndRecordCase{"Comment1200", WithComment(1200), true},
        EndRecordCase{"TrailingBytesWithinReach", WithTrailing(65535 - 22), true},
        EndRecordCase{"EndRecordBeyondTheLast65535Bytes", WithTrailing(65535 - 21), false},
        EndRecordCase{"PrefixBeforeTheArchive", WithPrefix(4096), true},
        EndRecordCase{"EntryCountsDiffer", WithDisks(0, 0, 1), false},
        EndRecordCase{"ThisDiskNotZero", WithDisks(1, 0, 0), false},
        EndRecordCase{"DirectoryDiskNotZero", WithDisks(0, 1, 0), false},
        EndRecordCase{"DirectoryBeyondTheEndRecord", WithDirectoryOffsetDelta(1), false},
        EndRecordCase{"DirectoryOffsetFarBeyond", WithDirectoryOffsetDelta(0x70000000), false}),
    [](const ::testing::TestParamInfo<EndRecordCase>& info) { return std::string(info.param.name); });

TEST(PackageReaderTest, RejectsWhatIsNoArchive) {
  PackageResult result = PackageResult::kOk;
  EXPECT_FALSE(PackageReader::Open(nullptr, 0, "", &result));
  EXPECT_EQ(result, PackageResult::kCannotOpen);
  for (const std::string& bytes : {std::string(21, '\0'), std::string(5000, 'x'),
                                   std::string("PK\x05\x06")}) {
    EXPECT_FALSE(OpenBytes(bytes));
  }
}

TEST(PackageReaderTest, EmptyArchiveOpensWithoutEntries) {
  const std::string zip = BuildZip({});
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->EntryCount(), 0);
  EXPECT_EQ(reader->FindEntry(L"anything", true, nullptr), PackageResult::kNotFound);
  char byte;
  EXPECT_EQ(reader->Extract(0, &byte, 1), PackageResult::kBadArguments);
}

TEST(PackageReaderTest, ExtractionResults) {
  const std::string zip = BuildZip(SampleEntries());
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  char small[10] = {};
  EXPECT_EQ(reader->Extract(1, small, sizeof(small)), PackageResult::kMoreData);
  EXPECT_EQ(std::string(small, sizeof(small)), kText.substr(0, sizeof(small)));
  EXPECT_EQ(reader->Extract(3, small, 3), PackageResult::kMoreData);
  EXPECT_EQ(std::string(small, 3), "\x89PN");

  std::string roomy(kText.size() + 100, '#');
  EXPECT_EQ(reader->Extract(1, &roomy[0], roomy.size()), PackageResult::kOk);
  EXPECT_EQ(roomy.substr(0, kText.size()), kText);
  EXPECT_EQ(roomy.substr(kText.size()), std::string(100, '#'));

  // Nothing produced: an empty entry, or no room at all.
  EXPECT_EQ(reader->Extract(4, small, sizeof(small)), PackageResult::kInflateError);
  EXPECT_EQ(reader->Extract(1, small, 0), PackageResult::kInflateError);

  EXPECT_EQ(reader->Extract(-1, small, sizeof(small)), PackageResult::kBadArguments);
  EXPECT_EQ(reader->Extract(5, small, sizeof(small)), PackageResult::kBadArguments);
  EXPECT_EQ(reader->Extract(1, nullptr, 10), PackageResult::kBadArguments);
}

struct DamageCase {
  const char* name;
  ZipEntrySpec entry;
  PackageResult find;     // result of FindEntry
  PackageResult extract;  // result of extracting into a buffer of the declared size
};

class PackageDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(PackageDamageTest, GivesItsResultCode) {
  const std::string zip = BuildZip({Stored("before.txt", "intact"), GetParam().entry});
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  PackageEntry entry;
  EXPECT_EQ(reader->FindEntry(L"damaged", false, &entry), GetParam().find);
  std::vector<char> buffer(static_cast<size_t>(
      std::min<uint32_t>(GetParam().entry.override_sizes ? GetParam().entry.uncompressed_size
                                                         : GetParam().entry.data.size(),
                         1 << 20)));
  EXPECT_EQ(reader->Extract(1, buffer.data(), buffer.size()), GetParam().extract);
  // The other entry is unharmed.
  std::string intact;
  EXPECT_EQ(ReadEntry(*reader, L"before.txt", &intact), PackageResult::kOk);
  EXPECT_EQ(intact, "intact");
}

ZipEntrySpec WrongCrc(ZipEntrySpec spec) {
  spec.override_crc = true;
  spec.crc = testing::Crc32(spec.data) ^ 0x00010000;
  return spec;
}

ZipEntrySpec WithPayload(ZipEntrySpec spec, const std::string& payload) {
  spec.override_payload = true;
  spec.payload = payload;
  spec.override_sizes = true;
  spec.compressed_size = static_cast<uint32_t>(payload.size());
  spec.uncompressed_size = static_cast<uint32_t>(spec.data.size());
  return spec;
}

ZipEntrySpec WithSizes(ZipEntrySpec spec, uint32_t compressed, uint32_t uncompressed) {
  spec.override_sizes = true;
  spec.compressed_size = compressed;
  spec.uncompressed_size = uncompressed;
  return spec;
}

ZipEntrySpec WithMethod(ZipEntrySpec spec, uint16_t method) {
  spec.method = method;
  spec.override_payload = true;
  spec.payload = spec.data;
  return spec;
}

const std::string kDamagedText(3000, 'z');

INSTANTIATE_TEST_SUITE_P(
    Entries, PackageDamageTest,
    ::testing::Values(
        DamageCase{"StoredCrcMismatch", WrongCrc(Stored("damaged", kDamagedText)),
                   PackageResult::kOk, PackageResult::kCrcMismatch},
        DamageCase{"DeflatedCrcMismatch", WrongCrc(Deflated("damaged", kDamagedText)),
                   PackageResult::kOk, PackageResult::kCrcMismatch},
        DamageCase{"InvalidDeflateData",
                   WithPayload(Deflated("damaged", kDamagedText), std::string(40, '\xFF')),
                   PackageResult::kOk, PackageResult::kInflateError},
        DamageCase{"DeflateDataCutShort",
                   WithPayload(Deflated("damaged", kDamagedText),
                               testing::RawDeflate(kDamagedText + std::string(5000, '\x01')).substr(0, 12)),
                   PackageResult::kOk, PackageResult::kInflateError},
        DamageCase{"DeflateStreamEndsEarly",
                   WithPayload(Deflated("damaged", kDamagedText), testing::RawDeflate("zzz")),
                   PackageResult::kOk, PackageResult::kInflateError},
        DamageCase{"StoredSizesDisagree", WithSizes(Stored("damaged", kDamagedText), 3000, 2999),
                   PackageResult::kCorruptLocalHeader, PackageResult::kCorruptLocalHeader},
        DamageCase{"DeflatedSizeBeyondAnyRatio", WithSizes(Deflated("damaged", kDamagedText), 20, 0x7FFFFFFF),
                   PackageResult::kCorruptLocalHeader, PackageResult::kCorruptLocalHeader},
        DamageCase{"StoredDataRunsPastTheEnd", WithSizes(Stored("damaged", kDamagedText), 900000, 900000),
                   PackageResult::kReadError, PackageResult::kReadError},
        DamageCase{"UnknownMethod", WithMethod(Stored("damaged", kDamagedText), 12),
                   PackageResult::kCorruptLocalHeader, PackageResult::kCorruptLocalHeader}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

// Offset of the first local header after `from`.
size_t LocalHeaderOf(const std::string& zip, size_t nth) {
  size_t at = 0;
  for (size_t i = 0;; ++i, ++at) {
    at = zip.find(std::string("PK\x03\x04", 4), at);
    if (i == nth) return at;
  }
}

struct LocalHeaderCase {
  const char* name;
  size_t field;   // offset in the local header
  char value;
  PackageResult result;
};

class PackageLocalHeaderTest : public ::testing::TestWithParam<LocalHeaderCase> {};

TEST_P(PackageLocalHeaderTest, MustAgreeWithTheDirectory) {
  std::string zip = BuildZip({Deflated("a.txt", kText)});
  zip[LocalHeaderOf(zip, 0) + GetParam().field] ^= GetParam().value;
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->FindEntry(L"a.txt", true, nullptr), GetParam().result);
  std::string buffer(kText.size(), '\0');
  EXPECT_EQ(reader->Extract(0, &buffer[0], buffer.size()), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, PackageLocalHeaderTest,
    ::testing::Values(LocalHeaderCase{"Signature", 3, 0x10, PackageResult::kCorruptLocalHeader},
                      LocalHeaderCase{"Method", 8, 0x01, PackageResult::kCorruptLocalHeader},
                      LocalHeaderCase{"Crc", 14, 0x01, PackageResult::kCorruptLocalHeader},
                      LocalHeaderCase{"CompressedSize", 18, 0x01, PackageResult::kCorruptLocalHeader},
                      LocalHeaderCase{"UncompressedSize", 22, 0x01, PackageResult::kCorruptLocalHeader},
                      LocalHeaderCase{"NameLengthPastTheEnd", 27, 0x7F, PackageResult::kReadError},
                      LocalHeaderCase{"VersionIsNotChecked", 4, 0x01, PackageResult::kOk},
                      LocalHeaderCase{"TimeIsNotChecked", 10, 0x01, PackageResult::kOk}),
    [](const ::testing::TestParamInfo<LocalHeaderCase>& info) { return std::string(info.param.name); });

TEST(PackageReaderTest, DataDescriptorFlagLetsLocalSizesBeZero) {
  ZipEntrySpec spec = Deflated("a.txt", kText);
  spec.flags = 0x0008;
  std::string zip = BuildZip({spec});
  const size_t local = LocalHeaderOf(zip, 0);
  std::memset(&zip[local + 14], 0, 12);  // CRC and both sizes
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  std::string text;
  EXPECT_EQ(ReadEntry(*reader, L"a.txt", &text), PackageResult::kOk);
  EXPECT_EQ(text, kText);
}

TEST(PackageReaderTest, DescribedNamesCannotLeaveTheirFolder) {
  const std::vector<std::pair<std::string, std::wstring>> cases = {
      {"C:/windows/x.dll", L"windows/x.dll"},
      {"/etc/passwd", L"etc/passwd"},
      {"\\\\server\\share", L"server\\share"},
      {"a/../../b.txt", L"b.txt"},
      {"a\\..\\b/..\\c", L"c"},
      {"D:\\..\\e", L"e"},
      {"../../up.txt", L"up.txt"},
      {"plain/name.txt", L"plain/name.txt"},
  };
  std::vector<ZipEntrySpec> entries;
  for (const auto& c : cases) entries.push_back(Stored(c.first, "x"));
  const std::string zip = BuildZip(entries);
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    PackageEntry entry;
    ASSERT_EQ(reader->FindEntry(std::wstring(c.first.begin(), c.first.end()), false, &entry),
              PackageResult::kOk);
    EXPECT_EQ(entry.name, c.second);
  }
}

TEST(PackageReaderTest, DosAttributesAndExtendedTimestamps) {
  ZipEntrySpec spec = Stored("a.txt", "x");
  spec.external_attributes = 0xFFFFFF27;  // read-only, hidden, system, archive and noise
  testing::Put16(spec.local_extra, 0xCAFE);  // an unknown block first
  testing::Put16(spec.local_extra, 2);
  spec.local_extra += "??";
  testing::Put16(spec.local_extra, 0x5455);
  testing::Put16(spec.local_extra, 13);
  spec.local_extra += '\x07';
  testing::Put32(spec.local_extra, 1000000000);  // modification
  testing::Put32(spec.local_extra, 1000000001);  // access
  testing::Put32(spec.local_extra, 1000000002);  // creation
  const std::string zip = BuildZip({spec});
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  PackageEntry entry;
  ASSERT_EQ(reader->FindEntry(L"a.txt", false, &entry), PackageResult::kOk);
  EXPECT_EQ(entry.attributes, kPackageReadOnly | kPackageHidden | kPackageSystem | kPackageArchive);
  const uint64_t epoch = 116444736000000000ULL;
  EXPECT_EQ(entry.modification_time, epoch + 1000000000ULL * 10000000);
  EXPECT_EQ(entry.access_time, epoch + 1000000001ULL * 10000000);
  EXPECT_EQ(entry.creation_time, epoch + 1000000002ULL * 10000000);
}

TEST(PackageReaderTest, TruncatedTimestampBlockIsReadNoFurtherThanItsLength) {
  ZipEntrySpec spec = Stored("a.txt", "x");
  spec.dos_time = (41u << 25) | (3u << 21) | (4u << 16) | (5u << 11) | (6u << 5) | 4u;  // 2021-03-04 05:06:08
  testing::Put16(spec.local_extra, 0x5455);
  testing::Put16(spec.local_extra, 3);  // claims three times, holds none
  spec.local_extra += "\x07\x01\x02";
  const std::string zip = BuildZip({spec});
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  PackageEntry entry;
  ASSERT_EQ(reader->FindEntry(L"a.txt", false, &entry), PackageResult::kOk);
  // The DOS time, read as local time: within a day of the same time read as UTC.
  const uint64_t as_utc = 116444736000000000ULL + 1614834368ULL * 10000000;
  const uint64_t day = 86400ULL * 10000000;
  EXPECT_GT(entry.modification_time, as_utc - day);
  EXPECT_LT(entry.modification_time, as_utc + day);
  EXPECT_EQ(entry.access_time, entry.modification_time);
  EXPECT_EQ(entry.creation_time, entry.modification_time);
}

// Made with the zip command: "pkg/deflated.txt" (deflated, mode 644) and
// "pkg/stored.txt" (stored, mode 444), both encrypted with the password "pa55word" and
// written with data descriptors and extended timestamps (2021-03-04 05:06:08 UTC).
const unsigned char kEncryptedZip[] = {
    0x50, 0x4b, 0x03, 0x04, 0x14, 0x00, 0x09, 0x00, 0x08, 0x00, 0xc4, 0x28, 0x64, 0x52, 0x05, 0x5c,
    0xd3, 0x26, 0x1f, 0x00, 0x00, 0x00, 0x33, 0x00, 0x00, 0x00, 0x10, 0x00, 0x1c, 0x00, 0x70, 0x6b,
    0x67, 0x2f, 0x64, 0x65, 0x66, 0x6c, 0x61, 0x74, 0x65, 0x64, 0x2e, 0x74, 0x78, 0x74, 0x55, 0x54,
    0x09, 0x00, 0x03, 0xc0, 0x6a, 0x40, 0x60, 0x59, 0x93, 0x1b, 0x6b, 0x75, 0x78, 0x0b, 0x00, 0x01,
    0x04, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0xc5, 0x6f, 0xfb, 0x69, 0xbf, 0xfb,
    0x8b, 0x22, 0x01, 0xa8, 0xce, 0xfb, 0x16, 0x69, 0x07, 0x2e, 0xeb, 0x84, 0xc4, 0x99, 0x36, 0xc2,
    0x68, 0x98, 0x83, 0x2a, 0x92, 0xa4, 0x05, 0x96, 0x45, 0x50, 0x4b, 0x07, 0x08, 0x05, 0x5c, 0xd3,
    0x26, 0x1f, 0x00, 0x00, 0x00, 0x33, 0x00, 0x00, 0x00, 0x50, 0x4b, 0x03, 0x04, 0x0a, 0x00, 0x09,
    0x00, 0x00, 0x00, 0xc4, 0x28, 0x64, 0x52, 0xa2, 0x65, 0xef, 0x09, 0x13, 0x00, 0x00, 0x00, 0x07,
    0x00, 0x00, 0x00, 0x0e, 0x00, 0x1c, 0x00, 0x70, 0x6b, 0x67, 0x2f, 0x73, 0x74, 0x6f, 0x72, 0x65,
    0x64, 0x2e, 0x74, 0x78, 0x74, 0x55, 0x54, 0x09, 0x00, 0x03, 0xc0, 0x6a, 0x40, 0x60, 0x59, 0x93,
    0x1b, 0x6b, 0x75, 0x78, 0x0b, 0x00, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
    0x00, 0x94, 0xe8, 0xf9, 0xd7, 0xe6, 0x49, 0x5a, 0xd1, 0x36, 0x57, 0x98, 0x6a, 0xc2, 0x37, 0x6a,
    0x5f, 0x4c, 0xe2, 0xce, 0x50, 0x4b, 0x07, 0x08, 0xa2, 0x65, 0xef, 0x09, 0x13, 0x00, 0x00, 0x00,
    0x07, 0x00, 0x00, 0x00, 0x50, 0x4b, 0x01, 0x02, 0x1e, 0x03, 0x14, 0x00, 0x09, 0x00, 0x08, 0x00,
    0xc4, 0x28, 0x64, 0x52, 0x05, 0x5c, 0xd3, 0x26, 0x1f, 0x00, 0x00, 0x00, 0x33, 0x00, 0x00, 0x00,
    0x10, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xa4, 0x81, 0x00, 0x00,
    0x00, 0x00, 0x70, 0x6b, 0x67, 0x2f, 0x64, 0x65, 0x66, 0x6c, 0x61, 0x74, 0x65, 0x64, 0x2e, 0x74,
    0x78, 0x74, 0x55, 0x54, 0x05, 0x00, 0x03, 0xc0, 0x6a, 0x40, 0x60, 0x75, 0x78, 0x0b, 0x00, 0x01,
    0x04, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x50, 0x4b, 0x01, 0x02, 0x1e, 0x03,
    0x0a, 0x00, 0x09, 0x00, 0x00, 0x00, 0xc4, 0x28, 0x64, 0x52, 0xa2, 0x65, 0xef, 0x09, 0x13, 0x00,
    0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x0e, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x24, 0x81, 0x79, 0x00, 0x00, 0x00, 0x70, 0x6b, 0x67, 0x2f, 0x73, 0x74, 0x6f, 0x72,
    0x65, 0x64, 0x2e, 0x74, 0x78, 0x74, 0x55, 0x54, 0x05, 0x00, 0x03, 0xc0, 0x6a, 0x40, 0x60, 0x75,
    0x78, 0x0b, 0x00, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x50, 0x4b,
    0x05, 0x06, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0xaa, 0x00, 0x00, 0x00, 0xe4, 0x00,
    0x00, 0x00, 0x00, 0x00,
};

std::string EncryptedZip() {
  return std::string(reinterpret_cast<const char*>(kEncryptedZip), sizeof(kEncryptedZip));
}

TEST(PackageReaderTest, DecryptsTraditionalEncryptionWithThePassword) {
  const std::string zip = EncryptedZip();
  auto reader = OpenBytes(zip, nullptr, "pa55word");
  ASSERT_TRUE(reader);
  std::string text;
  EXPECT_EQ(ReadEntry(*reader, L"pkg/deflated.txt", &text), PackageResult::kOk);
  EXPECT_EQ(text, "secret text, secret text, secret text, secret text\n");
  EXPECT_EQ(ReadEntry(*reader, L"pkg/stored.txt", &text), PackageResult::kOk);
  EXPECT_EQ(text, "stored!");

  auto wrong = OpenBytes(zip, nullptr, "password");
  ASSERT_TRUE(wrong);
  EXPECT_EQ(ReadEntry(*wrong, L"pkg/deflated.txt", &text), PackageResult::kWrongPassword);
  auto none = OpenBytes(zip);
  ASSERT_TRUE(none);
  EXPECT_EQ(ReadEntry(*none, L"pkg/stored.txt", &text), PackageResult::kWrongPassword);
}

TEST(PackageReaderTest, CheckByteFollowsTheDataDescriptorFlag) {
  // Without the flag the check byte is the CRC's high byte (0x26), not the time's (0x28).
  std::string zip = EncryptedZip();
  zip[6] &= ~0x08;
  zip[zip.find(std::string("PK\x01\x02", 4)) + 8] &= ~0x08;
  auto reader = OpenBytes(zip, nullptr, "pa55word");
  ASSERT_TRUE(reader);
  std::string text;
  EXPECT_EQ(ReadEntry(*reader, L"pkg/deflated.txt", &text), PackageResult::kWrongPassword);
}

TEST(PackageReaderTest, UnixAttributesAndTimesFromTheZipCommand) {
  const std::string zip = EncryptedZip();
  auto reader = OpenBytes(zip);
  ASSERT_TRUE(reader);
  const uint64_t written = 116444736000000000ULL + 1614834368ULL * 10000000;
  PackageEntry entry;
  ASSERT_EQ(reader->FindEntry(L"pkg/deflated.txt", false, &entry), PackageResult::kOk);
  EXPECT_EQ(entry.attributes, kPackageArchive);
  EXPECT_EQ(entry.modification_time, written);
  // The access time is when the zip command read the file.
  EXPECT_EQ(entry.access_time, 116444736000000000ULL + 0x6B1B9359ULL * 10000000);
  EXPECT_EQ(entry.creation_time, entry.modification_time);
  ASSERT_EQ(reader->FindEntry(L"pkg/stored.txt", false, &entry), PackageResult::kOk);
  EXPECT_EQ(entry.attributes, kPackageArchive | kPackageReadOnly);
  EXPECT_EQ(entry.compressed_size, 7u + 12u);
  EXPECT_EQ(entry.uncompressed_size, 7u);
}

// Every entry that extracts successfully from `bytes` must hold its original data. The
// bytes are held in a vector of exactly their size, so that the sanitizers see a read
// one byte past the end.
void ReadEverything(const std::vector<char>& bytes, const std::vector<ZipEntrySpec>& originals,
                    const std::string& password = "") {
  auto reader = PackageReader::Open(bytes.data(), bytes.size(), password);
  if (!reader) return;
  for (const ZipEntrySpec& original : originals) {
    const std::wstring name(original.name.begin(), original.name.end());
    PackageEntry entry;
    if (reader->FindEntry(name, true, &entry) != PackageResult::kOk) continue;
    std::string buffer(std::min<size_t>(static_cast<size_t>(entry.uncompressed_size), 1 << 16), '\0');
    if (reader->Extract(entry.index, &buffer[0], buffer.size()) == PackageResult::kOk) {
      EXPECT_EQ(buffer, original.data) << original.name;
    }
  }
}

TEST(PackageReaderTest, EveryTruncationFailsCleanly) {
  const std::vector<ZipEntrySpec> entries = SampleEntries();
  const size_t comment = 40;
  const std::string zip = BuildZip(entries, WithComment(comment));
  for (size_t length = 0; length < zip.size(); ++length) {
    SCOPED_TRACE(length);
    const std::vector<char> cut(zip.begin(), zip.begin() + length);
    ReadEverything(cut, entries);
    if (length < zip.size() - comment) {
      EXPECT_FALSE(PackageReader::Open(cut.data(), cut.size(), "")) << "opened without its end record";
    }
  }
}

TEST(PackageReaderTest, EverySingleByteDamageFailsOrReadsTheTruth) {
  const std::vector<ZipEntrySpec> entries = SampleEntries();
  const std::string zip = BuildZip(entries);
  for (size_t at = 0; at < zip.size(); ++at) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      SCOPED_TRACE(at);
      std::vector<char> damaged(zip.begin(), zip.end());
      damaged[at] = static_cast<char>(damaged[at] ^ flip);
      ReadEverything(damaged, entries);
    }
  }
}

TEST(PackageReaderTest, DamagedEncryptedArchiveFailsOrReadsTheTruth) {
  const std::string zip = EncryptedZip();
  const std::vector<ZipEntrySpec> entries = {
      Stored("pkg/deflated.txt", "secret text, secret text, secret text, secret text\n"),
      Stored("pkg/stored.txt", "stored!")};
  for (size_t at = 0; at < zip.size(); ++at) {
    SCOPED_TRACE(at);
    std::vector<char> damaged(zip.begin(), zip.end());
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
    ReadEverything(damaged, entries, "pa55word");
    ReadEverything(std::vector<char>(zip.begin(), zip.begin() + at), entries, "pa55word");
  }
}

}  // namespace
}  // namespace ui
