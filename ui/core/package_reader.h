// Reads a ZIP archive held in memory: finds an entry by its path and extracts it,
// stored or deflated, into the caller's buffer.
//
// The archive may come from anywhere, so every offset, size and name length it
// declares is checked against the buffer before use: a truncated or hostile archive
// gives a result code, never a read outside the buffer. The central directory is
// checked whole when the archive opens; a local header and its data when the entry is
// described or extracted. Extracted data must match the recorded CRC-32.
//
// The reader does not copy the archive: the bytes must stay valid while it lives.
// Not locked; the reader keeps no cursor, so const calls never disturb each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ui {

enum class PackageResult : uint32_t {
  kOk = 0x00000000,
  kCannotOpen = 0x00000200,          // no valid archive
  kNotFound = 0x00000500,
  kMoreData = 0x00000600,            // the buffer filled before the entry ended
  kCorruptLocalHeader = 0x00000700,
  kReadError = 0x00000800,           // the entry's data runs past the archive's end
  kCrcMismatch = 0x00000900,         // the extracted bytes differ from the recorded CRC-32
  kWrongPassword = 0x00001000,       // the encryption header's check byte differs
  kBadArguments = 0x00010000,        // index out of range, no buffer, unsupported entry
  kInflateError = 0x05000000,        // damaged deflate data, or nothing produced
};

// File attribute bits of PackageEntry::attributes.
enum PackageAttribute : uint32_t {
  kPackageReadOnly = 0x01,
  kPackageHidden = 0x02,
  kPackageSystem = 0x04,
  kPackageDirectory = 0x10,
  kPackageArchive = 0x20,
};

struct PackageEntry {
  int index = -1;  // central-directory order; -1 when not found
  // UTF-16, at most 260 characters, without drive prefix, leading separators or any
  // text up to a parent-folder step.
  std::wstring name;
  uint32_t attributes = 0;
  // File times: 100 ns units since 1601-01-01 UTC.
  uint64_t creation_time = 0;
  uint64_t access_time = 0;
  uint64_t modification_time = 0;
  uint64_t compressed_size = 0;
  uint64_t uncompressed_size = 0;
};

class PackageReader {
 public:
  // Opens `size` bytes at `data`, which must outlive the reader. `password` decrypts
  // entries written with the traditional ZIP encryption. Nothing on failure, with the
  // reason in `result` when given.
  static std::unique_ptr<PackageReader> Open(const void* data, size_t size,
                                             const std::string& password,
                                             PackageResult* result = nullptr);

  PackageReader(const PackageReader&) = delete;
  PackageReader& operator=(const PackageReader&) = delete;
  ~PackageReader();

  int EntryCount() const;

  // The first entry whose UTF-8 name equals `path` (ASCII letters compared without
  // case when `ignore_case`). Paths of 256 UTF-8 bytes or more are never found.
  // kNotFound leaves entry->index at -1.
  PackageResult FindEntry(const std::wstring& path, bool ignore_case, PackageEntry* entry) const;

  // Extracts entry `index` into `buffer` of `length` bytes: kOk once the whole entry
  // is there and its CRC-32 matches, kMoreData when the buffer is full first.
  PackageResult Extract(int index, void* buffer, size_t length) const;

 private:
  struct CentralEntry;
  struct LocalData;

  PackageReader(const uint8_t* data, size_t size, const std::string& password);

  PackageResult ReadCentralDirectory(uint64_t end_record);
  PackageResult CheckLocalHeader(const CentralEntry& central, LocalData* local) const;
  PackageEntry Describe(int index, const LocalData& local) const;

  const uint8_t* data_;
  size_t size_;
  std::string password_;
  uint64_t prefix_ = 0;  // bytes in front of the archive proper
  std::vector<CentralEntry> entries_;
};

}  // namespace ui
