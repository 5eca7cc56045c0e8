// The INI reader of the installer and the UI framework (product.ini, lang.ini and the
// string tables): one ordered key -> value table, no sections.
//
// Line rules: a line is cut at "=" (runs of "=" count as one, empty pieces dropped);
// only a line that gives exactly two pieces is stored, key and value trimmed, unless
// the key holds ";" (comments). Trimming drops spaces and code units below 30 from both
// ends. A byte-order mark is not removed: it stays in front of the first line's key,
// which in every shipped file is a comment. A later key replaces an earlier one.
//
// Not locked: one owner thread at a time.
#pragma once

#include <cstddef>
#include <map>
#include <string>

class IniFile {
 public:
  using Table = std::map<std::wstring, std::wstring>;

  // Parses a block of UTF-8 text and adds its keys to those already present.
  // Lines end at line feeds and at zero bytes.
  bool LoadFromMemory(const void* data, size_t size);

  // Empties the table, then parses the file. Carriage-return line-feed pairs read as
  // line feeds, and a line longer than 4095 bytes is taken as several lines. False
  // when the file cannot be opened (the table is then empty).
  bool LoadFromFile(const std::wstring& path);

  // The value of `key`, with every two-character "\r" and then every "\n" turned into a
  // carriage return and a line feed; empty when the key is empty or absent.
  std::wstring Get(const std::wstring& key) const;
  // Get converted to UTF-8.
  std::string GetUtf8(const std::wstring& key) const;

  // Every stored entry in key order (by UTF-16 code unit), values as written.
  const Table& Entries() const { return table_; }
  void Clear() { table_.clear(); }

 private:
  // Converts, trims and parses one raw line.
  void AddLine(const std::string& bytes);

  Table table_;
};
