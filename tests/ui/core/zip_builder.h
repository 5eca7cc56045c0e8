// Builds small ZIP archives in memory for the package tests, with knobs for the faults
// a damaged or hostile archive may carry.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ui {
namespace testing {

struct ZipEntrySpec {
  std::string name;
  std::string data;
  uint16_t method = 8;  // 0 stored, 8 deflated
  uint16_t flags = 0;
  uint16_t version_made_by = 20;  // high byte 0: DOS attribute bytes
  uint32_t external_attributes = 0x20;
  uint32_t dos_time = 0x00210000;  // 1980-01-01 00:00:00
  std::string local_extra;
  // Recorded in both headers instead of the true values, when set.
  bool override_crc = false;
  uint32_t crc = 0;
  bool override_sizes = false;
  uint32_t compressed_size = 0;
  uint32_t uncompressed_size = 0;
  // The bytes stored as the entry's data instead of the (deflated) data.
  bool override_payload = false;
  std::string payload;
};

struct ZipLayout {
  std::string prefix;          // bytes in front of the archive
  std::string comment;         // the end record's comment
  std::string trailing;        // bytes after the comment, not declared anywhere
  uint16_t this_disk = 0;
  uint16_t directory_disk = 0;
  int entries_on_disk_delta = 0;  // added to the entry count of this disk
  int64_t directory_offset_delta = 0;
};

inline void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

inline void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

inline std::string RawDeflate(const std::string& data) {
  z_stream stream = {};
  deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

inline uint32_t Crc32(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

inline ZipEntrySpec Stored(const std::string& name, const std::string& data) {
  ZipEntrySpec spec;
  spec.name = name;
  spec.data = data;
  spec.method = 0;
  return spec;
}

inline ZipEntrySpec Deflated(const std::string& name, const std::string& data) {
  ZipEntrySpec spec;
  spec.name = name;
  spec.data = data;
  return spec;
}

inline ZipEntrySpec Folder(const std::string& name) {
  ZipEntrySpec spec = Stored(name, "");
  spec.external_attributes = 0x10;
  return spec;
}

inline std::string BuildZip(const std::vector<ZipEntrySpec>& entries, const ZipLayout& layout = {}) {
  std::string out = layout.prefix;
  std::string directory;
  for (const ZipEntrySpec& e : entries) {
    const std::string payload =
        e.override_payload ? e.payload : (e.method == 8 ? RawDeflate(e.data) : e.data);
    const uint32_t crc = e.override_crc ? e.crc : Crc32(e.data);
    const uint32_t compressed = e.override_sizes ? e.compressed_size : static_cast<uint32_t>(payload.size());
    const uint32_t uncompressed = e.override_sizes ? e.uncompressed_size : static_cast<uint32_t>(e.data.size());
    const uint32_t offset = static_cast<uint32_t>(out.size() - layout.prefix.size());

    Put32(out, 0x04034B50);
    Put16(out, 20);
    Put16(out, e.flags);
    Put16(out, e.method);
    Put32(out, e.dos_time);
    Put32(out, crc);
    Put32(out, compressed);
    Put32(out, uncompressed);
    Put16(out, static_cast<uint32_t>(e.name.size()));
    Put16(out, static_cast<uint32_t>(e.local_extra.size()));
    out += e.name;
    out += e.local_extra;
    out += payload;

    Put32(directory, 0x02014B50);
    Put16(directory, e.version_made_by);
    Put16(directory, 20);
    Put16(directory, e.flags);
    Put16(directory, e.method);
    Put32(directory, e.dos_time);
    Put32(directory, crc);
    Put32(directory, compressed);
    Put32(directory, uncompressed);
    Put16(directory, static_cast<uint32_t>(e.name.size()));
    Put16(directory, 0);  // extra
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk number start
    Put16(directory, 0);  // internal attributes
    Put32(directory, e.external_attributes);
    Put32(directory, offset);
    directory += e.name;
  }
  const uint32_t directory_offset =
      static_cast<uint32_t>(out.size() - layout.prefix.size() + layout.directory_offset_delta);
  out += directory;
  Put32(out, 0x06054B50);
  Put16(out, layout.this_disk);
  Put16(out, layout.directory_disk);
  Put16(out, static_cast<uint32_t>(entries.size() + layout.entries_on_disk_delta));
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put32(out, static_cast<uint32_t>(directory.size()));
  Put32(out, directory_offset);
  Put16(out, static_cast<uint32_t>(layout.comment.size()));
  out += layout.comment;
  out += layout.trailing;
  return out;
}

}  // namespace testing
}  // namespace ui
