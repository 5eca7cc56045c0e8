#include "ui/core/package_reader.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>

#include "installer/utils/string_util.h"

namespace ui {

namespace {

constexpr uint32_t kEndRecordSignature = 0x06054B50;
constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr size_t kEndRecordBytes = 22;
constexpr size_t kCentralHeaderBytes = 46;
constexpr size_t kLocalHeaderBytes = 30;
constexpr size_t kEndRecordSearchBytes = 65535;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr size_t kEncryptionHeaderBytes = 12;

// Deflate produces at most 258 bytes from two bits; nothing honest declares more.
constexpr uint64_t kMaxDeflateRatio = 1032;

constexpr size_t kMaxPathBytes = 255;
constexpr size_t kMaxNameCharacters = 260;
constexpr size_t kInputChunkBytes = 16384;

// 100 ns intervals from 1601-01-01 to 1970-01-01.
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;
constexpr uint16_t kExtendedTimestampId = 0x5455;  // "UT"

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Whether [offset, offset + length) lies inside `limit` bytes.
bool Fits(uint64_t offset, uint64_t length, uint64_t limit) {
  return offset <= limit && length <= limit - offset;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool NamesEqual(const std::string& a, const std::string& b, bool ignore_case) {
  if (a.size() != b.size()) return false;
  if (!ignore_case) return a == b;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

uint64_t UnixSecondsToFileTime(uint32_t seconds) {
  return seconds * kFileTimeUnitsPerSecond + kUnixEpochAsFileTime;
}

// The DOS date and time (date in the high half) read as local time.
uint64_t DosTimeToFileTime(uint32_t dos) {
  std::tm local = {};
  local.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
  local.tm_mon = static_cast<int>((dos >> 21) & 0x0F) - 1;
  local.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
  local.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
  local.tm_min = static_cast<int>((dos >> 5) & 0x3F);
  local.tm_sec = static_cast<int>(dos & 0x1F) * 2;
  local.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1) || seconds < 0) return kUnixEpochAsFileTime;
  return static_cast<uint64_t>(seconds) * kFileTimeUnitsPerSecond + kUnixEpochAsFileTime;
}

// Strips what would let a name escape the folder it is extracted to, until none applies:
// a drive prefix, a leading separator, a leading parent-folder step, and everything up
// to a parent-folder step further on.
std::wstring CleanName(std::wstring name) {
  static const wchar_t* const kParentSteps[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};
  for (bool changed = true; changed;) {
    changed = false;
    if (name.size() >= 2 && name[1] == L':') {
      name.erase(0, 2);
      changed = true;
    }
    if (!name.empty() && (name[0] == L'\\' || name[0] == L'/')) {
      name.erase(0, 1);
      changed = true;
    }
    if (name.size() >= 3 && name[0] == L'.' && name[1] == L'.' &&
        (name[2] == L'\\' || name[2] == L'/')) {
      name.erase(0, 3);
      changed = true;
    }
    for (const wchar_t* step : kParentSteps) {
      const size_t at = name.find(step);
      if (at != std::wstring::npos) {
        name.erase(0, at + 4);
        changed = true;
      }
    }
  }
  return name;
}

// The traditional ZIP encryption (a stream cipher keyed by the password).
class TraditionalCipher {
 public:
  explicit TraditionalCipher(const std::string& password) {
    for (char c : password) Update(static_cast<uint8_t>(c));
  }

  uint8_t Decrypt(uint8_t c) {
    const uint32_t temp = (keys_[2] | 2) & 0xFFFF;
    const uint8_t plain = static_cast<uint8_t>(c ^ ((temp * (temp ^ 1)) >> 8));
    Update(plain);
    return plain;
  }

 private:
  static uint32_t Crc(uint32_t crc, uint8_t c) {
    return static_cast<uint32_t>(get_crc_table()[(crc ^ c) & 0xFF]) ^ (crc >> 8);
  }
  void Update(uint8_t c) {
    keys_[0] = Crc(keys_[0], c);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
    keys_[2] = Crc(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
  }

  uint32_t keys_[3] = {305419896, 591751049, 878082192};
};

// Owns a raw-deflate inflate stream.
class InflateStream {
 public:
  InflateStream() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
  ~InflateStream() {
    if (ready_) inflateEnd(&stream_);
  }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;

  bool ready() const { return ready_; }
  z_stream* get() { return &stream_; }

 private:
  z_stream stream_ = {};
  bool ready_ = false;
};

}  // namespace

struct PackageReader::CentralEntry {
  std::string name;  // as stored (UTF-8)
  uint16_t version_made_by = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t dos_time = 0;
  uint32_t crc = 0;
  uint32_t compressed_size = 0;
  uint32_t uncompressed_size = 0;
  uint32_t external_attributes = 0;
  uint32_t local_header_offset = 0;
};

// Where a checked local header puts the entry's extra field and data.
struct PackageReader::LocalData {
  uint64_t extra_offset = 0;
  uint16_t extra_length = 0;
  uint64_t data_offset = 0;
};

PackageReader::PackageReader(const uint8_t* data, size_t size, const std::string& password)
    : data_(data), size_(size), password_(password) {}

PackageReader::~PackageReader() = default;

int PackageReader::EntryCount() const { return static_cast<int>(entries_.size()); }

std::unique_ptr<PackageReader> PackageReader::Open(const void* data, size_t size,
                                                   const std::string& password,
                                                   PackageResult* result) {
  auto fail = [result]() {
    if (result) *result = PackageResult::kCannotOpen;
    return nullptr;
  };
  if (data == nullptr || size < kEndRecordBytes) return fail();
  const uint8_t* bytes = static_cast<const uint8_t*>(data);

  // The end record is the signature nearest to the end, within the last 65535 bytes,
  // whose fixed part fits before the end.
  const size_t lowest = size > kEndRecordSearchBytes ? size - kEndRecordSearchBytes : 0;
  size_t end_record = size - kEndRecordBytes;
  while (Read32(bytes + end_record) != kEndRecordSignature) {
    if (end_record == lowest) return fail();
    --end_record;
  }

  std::unique_ptr<PackageReader> reader(new PackageReader(bytes, size, password));
  const PackageResult read = reader->ReadCentralDirectory(end_record);
  if (result) *result = read;
  if (read != PackageResult::kOk) return nullptr;
  return reader;
}

PackageResult PackageReader::ReadCentralDirectory(uint64_t end_record) {
  const uint8_t* record = data_ + end_record;
  const uint16_t this_disk = Read16(record + 4);
  const uint16_t directory_disk = Read16(record + 6);
  const uint16_t entries_on_disk = Read16(record + 8);
  const uint16_t total_entries = Read16(record + 10);
  const uint32_t directory_size = Read32(record + 12);
  const uint32_t directory_offset = Read32(record + 16);
  if (this_disk != 0 || directory_disk != 0 || entries_on_disk != total_entries) {
    return PackageResult::kCannotOpen;
  }
  if (end_record < static_cast<uint64_t>(directory_offset) + directory_size) {
    return PackageResult::kCannotOpen;
  }
  prefix_ = end_record - directory_offset - directory_size;

  // The directory lies just before the end record; no header may run past it.
  uint64_t at = end_record - directory_size;
  entries_.reserve(total_entries);
  for (uint16_t i = 0; i < total_entries; ++i) {
    if (!Fits(at, kCentralHeaderBytes, end_record)) return PackageResult::kCannotOpen;
    const uint8_t* h = data_ + at;
    if (Read32(h) != kCentralHeaderSignature) return PackageResult::kCannotOpen;
    const uint16_t name_length = Read16(h + 28);
    const uint16_t extra_length = Read16(h + 30);
    const uint16_t comment_length = Read16(h + 32);
    const uint64_t header_bytes =
        kCentralHeaderBytes + static_cast<uint64_t>(name_length) + extra_length + comment_length;
    if (!Fits(at, header_bytes, end_record)) return PackageResult::kCannotOpen;

    CentralEntry entry;
    entry.version_made_by = Read16(h + 4);
    entry.flags = Read16(h + 8);
    entry.method = Read16(h + 10);
    entry.dos_time = Read32(h + 12);
    entry.crc = Read32(h + 16);
    entry.compressed_size = Read32(h + 20);
    entry.uncompressed_size = Read32(h + 24);
    entry.external_attributes = Read32(h + 38);
    entry.local_header_offset = Read32(h + 42);
    entry.name.assign(reinterpret_cast<const char*>(h + kCentralHeaderBytes), name_length);
    entries_.push_back(std::move(entry));
    at += header_bytes;
  }
  return PackageResult::kOk;
}

PackageResult PackageReader::FindEntry(const std::wstring& path, bool ignore_case,
                                       PackageEntry* entry) const {
  if (entry) *entry = PackageEntry();
  const std::string wanted = Utf16ToUtf8(path);
  if (wanted.empty() || wanted.size() > kMaxPathBytes) return PackageResult::kNotFound;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (!NamesEqual(entries_[i].name, wanted, ignore_case)) continue;
    LocalData local;
    const PackageResult checked = CheckLocalHeader(entries_[i], &local);
    if (checked != PackageResult::kOk) return checked;
    if (entry) *entry = Describe(static_cast<int>(i), local);
    return PackageResult::kOk;
  }
  return PackageResult::kNotFound;
}

PackageResult PackageReader::CheckLocalHeader(const CentralEntry& central,
                                              LocalData* local) const {
  const uint64_t at = prefix_ + central.local_header_offset;
  if (!Fits(at, kLocalHeaderBytes, size_)) return PackageResult::kCorruptLocalHeader;
  const uint8_t* h = data_ + at;
  const uint16_t method = Read16(h + 8);
  if (Read32(h) != kLocalHeaderSignature || method != central.method ||
      (method != kMethodStored && method != kMethodDeflated)) {
    return PackageResult::kCorruptLocalHeader;
  }
  if (!(central.flags & kFlagDataDescriptor) &&
      (Read32(h + 14) != central.crc || Read32(h + 18) != central.compressed_size ||
       Read32(h + 22) != central.uncompressed_size)) {
    return PackageResult::kCorruptLocalHeader;
  }
  // Sizes that no data of this kind can have: refuse them before anyone allocates.
  uint64_t payload = central.compressed_size;
  if (central.flags & kFlagEncrypted) {
    if (payload < kEncryptionHeaderBytes) return PackageResult::kCorruptLocalHeader;
    payload -= kEncryptionHeaderBytes;
  }
  if (method == kMethodStored ? payload != central.uncompressed_size
                              : central.uncompressed_size > (payload + 1) * kMaxDeflateRatio) {
    return PackageResult::kCorruptLocalHeader;
  }

  const uint16_t name_length = Read16(h + 26);
  local->extra_length = Read16(h + 28);
  local->extra_offset = at + kLocalHeaderBytes + name_length;
  local->data_offset = local->extra_offset + local->extra_length;
  if (!Fits(local->data_offset, central.compressed_size, size_)) return PackageResult::kReadError;
  return PackageResult::kOk;
}

PackageEntry PackageReader::Describe(int index, const LocalData& local) const {
  const CentralEntry& central = entries_[index];
  PackageEntry entry;
  entry.index = index;
  entry.name = CleanName(Utf8ToUtf16(central.name));
  if (entry.name.size() > kMaxNameCharacters) entry.name.resize(kMaxNameCharacters);

  const uint8_t host = static_cast<uint8_t>(central.version_made_by >> 8);
  const uint32_t external = central.external_attributes;
  if (host == 0 || host == 7 || host == 11 || host == 14) {  // hosts with DOS attribute bytes
    entry.attributes = external & (kPackageReadOnly | kPackageHidden | kPackageSystem |
                                   kPackageDirectory | kPackageArchive);
  } else {  // Unix mode bits in the high half
    entry.attributes = kPackageArchive;
    if (external & 0x40000000) entry.attributes |= kPackageDirectory;
    if (!(external & 0x00800000)) entry.attributes |= kPackageReadOnly;
  }

  const uint64_t dos_time = DosTimeToFileTime(central.dos_time);
  entry.creation_time = entry.access_time = entry.modification_time = dos_time;
  // An extended-timestamp block of the local extra field overrides them.
  const uint8_t* extra = data_ + local.extra_offset;
  for (size_t at = 0; at + 4 <= local.extra_length;) {
    const uint16_t id = Read16(extra + at);
    const uint16_t length = Read16(extra + at + 2);
    const size_t body = at + 4;
    if (length > local.extra_length - body) break;
    if (id == kExtendedTimestampId && length >= 1) {
      const uint8_t present = extra[body];
      size_t field = body + 1;
      uint64_t* const times[] = {&entry.modification_time, &entry.access_time,
                                 &entry.creation_time};
      for (int bit = 0; bit < 3; ++bit) {
        if (!(present & (1 << bit))) continue;
        if (field + 4 > body + length) break;
        *times[bit] = UnixSecondsToFileTime(Read32(extra + field));
        field += 4;
      }
    }
    at = body + length;
  }

  entry.compressed_size = central.compressed_size;
  entry.uncompressed_size = central.uncompressed_size;
  return entry;
}

PackageResult PackageReader::Extract(int index, void* buffer, size_t length) const {
  if (index < 0 || index >= EntryCount() || (buffer == nullptr && length != 0)) {
    return PackageResult::kBadArguments;
  }
  const CentralEntry& central = entries_[index];
  LocalData local;
  const PackageResult checked = CheckLocalHeader(central, &local);
  if (checked != PackageResult::kOk) return checked;

  const uint8_t* input = data_ + local.data_offset;
  uint64_t input_left = central.compressed_size;
  std::unique_ptr<TraditionalCipher> cipher;
  if (central.flags & kFlagEncrypted) {
    cipher.reset(new TraditionalCipher(password_));
    uint8_t header[kEncryptionHeaderBytes];
    for (size_t i = 0; i < kEncryptionHeaderBytes; ++i) header[i] = cipher->Decrypt(input[i]);
    const uint8_t check = (central.flags & kFlagDataDescriptor)
                              ? static_cast<uint8_t>(central.dos_time >> 8)
                              : static_cast<uint8_t>(central.crc >> 24);
    if (header[kEncryptionHeaderBytes - 1] != check) return PackageResult::kWrongPassword;
    input += kEncryptionHeaderBytes;
    input_left -= kEncryptionHeaderBytes;
  }

  InflateStream inflater;
  if (central.method == kMethodDeflated && !inflater.ready()) return PackageResult::kInflateError;
  z_stream* stream = inflater.get();

  uint8_t* output = static_cast<uint8_t*>(buffer);
  const uint64_t wanted = std::min<uint64_t>(length, central.uncompressed_size);
  uint64_t produced = 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  std::vector<uint8_t> chunk(kInputChunkBytes);
  size_t chunk_bytes = 0;
  bool inflate_failed = false;

  // Takes the next chunk of input, decrypted when needed.
  auto next_chunk = [&]() {
    chunk_bytes = static_cast<size_t>(std::min<uint64_t>(input_left, chunk.size()));
    for (size_t i = 0; i < chunk_bytes; ++i) chunk[i] = cipher ? cipher->Decrypt(input[i]) : input[i];
    input += chunk_bytes;
    input_left -= chunk_bytes;
  };

  while (produced < wanted) {
    if (central.method == kMethodStored) {
      next_chunk();
      const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk_bytes, wanted - produced));
      if (n == 0) break;
      std::memcpy(output + produced, chunk.data(), n);
      crc = crc32(crc, output + produced, static_cast<uInt>(n));
      produced += n;
      continue;
    }
    if (stream->avail_in == 0) {
      if (input_left == 0) break;
      next_chunk();
      stream->next_in = chunk.data();
      stream->avail_in = static_cast<uInt>(chunk_bytes);
    }
    const uInt room = static_cast<uInt>(std::min<uint64_t>(wanted - produced, UINT_MAX));
    stream->next_out = output + produced;
    stream->avail_out = room;
    const int status = inflate(stream, Z_SYNC_FLUSH);
    const uInt got = room - stream->avail_out;
    crc = crc32(crc, output + produced, got);
    produced += got;
    if (status == Z_STREAM_END) break;
    if (status != Z_OK) {
      inflate_failed = true;
      break;
    }
  }

  if (inflate_failed || produced == 0) return PackageResult::kInflateError;
  if (produced == central.uncompressed_size) {
    return crc == central.crc ? PackageResult::kOk : PackageResult::kCrcMismatch;
  }
  if (produced == length) return PackageResult::kMoreData;
  return PackageResult::kInflateError;
}

}  // namespace ui
