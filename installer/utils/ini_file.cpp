#include "installer/utils/ini_file.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "installer/utils/string_util.h"

namespace {

// fgets with a 4096-byte buffer: a longer line arrives in pieces of 4095 bytes.
constexpr size_t kLinePieceBytes = 4095;
constexpr size_t kReadBlockBytes = 4096;
constexpr wchar_t kReplacementCharacter = 0xFFFD;

// UTF-8 to UTF-16 where each byte that does not start a valid sequence becomes U+FFFD,
// the way the system's converter treats bad input. The strict conversion would drop
// the whole line for one bad byte (a line piece cut inside a character, for one).
std::wstring DecodeLine(const std::string& bytes) {
  std::wstring text = Utf8ToUtf16(bytes);
  if (!text.empty() || bytes.empty()) return text;
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    size_t length = 0;
    if (lead < 0x80) length = 1;
    else if ((lead & 0xE0) == 0xC0) length = 2;
    else if ((lead & 0xF0) == 0xE0) length = 3;
    else if ((lead & 0xF8) == 0xF0) length = 4;
    std::wstring character;
    if (length != 0 && i + length <= bytes.size()) {
      character = Utf8ToUtf16(bytes.substr(i, length));
    }
    if (character.empty()) {
      text += kReplacementCharacter;
      ++i;
    } else {
      text += character;
      i += length;
    }
  }
  return text;
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<FILE, FileCloser>;

ScopedFile OpenForReading(const std::wstring& path) {
#ifdef _WIN32
  return ScopedFile(_wfopen(path.c_str(), L"rb"));
#else
  return ScopedFile(std::fopen(Utf16ToUtf8(path).c_str(), "rb"));
#endif
}

}  // namespace

bool IniFile::LoadFromMemory(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  std::string line;
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] == '\n' || bytes[i] == '\0') {
      AddLine(line);
      line.clear();
    } else {
      line += bytes[i];
    }
  }
  AddLine(line);
  return true;
}

bool IniFile::LoadFromFile(const std::wstring& path) {
  table_.clear();
  ScopedFile file = OpenForReading(path);
  if (!file) return false;

  // Pieces as fgets cuts them in text mode, the same on every platform: a line feed
  // ends its piece, a piece is full at 4095 bytes, and a zero byte ends a piece too.
  // Read in binary, a carriage return before a line feed stays in its piece, where
  // trimming removes it, so the lines come out as in text mode.
  std::string piece;
  auto flush = [&]() {
    AddLine(piece);
    piece.clear();
  };
  std::vector<char> block(kReadBlockBytes);
  size_t count;
  while ((count = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
    for (size_t i = 0; i < count; ++i) {
      const char c = block[i];
      if (c == '\0') {
        flush();
        continue;
      }
      piece += c;
      if (c == '\n' || piece.size() == kLinePieceBytes) flush();
    }
  }
  flush();
  return true;
}

std::wstring IniFile::Get(const std::wstring& key) const {
  if (key.empty()) return std::wstring();
  auto found = table_.find(key);
  if (found == table_.end()) return std::wstring();
  std::wstring value = found->second;
  ReplaceAll(L"\\r", L"\r", value);
  ReplaceAll(L"\\n", L"\n", value);
  return value;
}

std::string IniFile::GetUtf8(const std::wstring& key) const { return Utf16ToUtf8(Get(key)); }

void IniFile::AddLine(const std::string& bytes) {
  const std::wstring line = TrimString(DecodeLine(bytes));
  if (line.empty()) return;
  const std::vector<std::wstring> pieces = SplitString(line, L"=");
  if (pieces.size() != 2) return;
  std::wstring key = TrimString(pieces[0]);
  if (key.find(L';') != std::wstring::npos) return;
  table_[std::move(key)] = TrimString(pieces[1]);
}
