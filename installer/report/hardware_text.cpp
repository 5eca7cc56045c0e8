#include "installer/report/hardware_text.h"

#include <algorithm>

#include "installer/utils/string_util.h"

namespace {

bool IsPrintable(unsigned char c) { return c >= 0x20 && c < 0x7F; }

int HexValue(char c) {
  if (c == ' ') return 0;
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes `raw` as hexadecimal pairs; false when it is not such a text.
bool DecodeHexPairs(const std::string& raw, std::string* decoded) {
  if (raw.size() % 2 != 0) return false;
  decoded->clear();
  for (size_t i = 0; i < raw.size(); i += 2) {
    const int high = HexValue(raw[i]);
    const int low = HexValue(raw[i + 1]);
    if (high < 0 || low < 0) return false;
    const auto byte = static_cast<unsigned char>(high << 4 | low);
    if (byte != 0 && !IsPrintable(byte)) return false;
    decoded->push_back(static_cast<char>(byte));
  }
  return true;
}

std::string UpToFirstZero(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::string RemoveTrailingSpaces(std::string text) {
  const size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::string IdentifySerialText(const unsigned char* identify, size_t length) {
  constexpr size_t kFirstWord = 10;
  constexpr size_t kWords = 10;
  if (identify == nullptr || length < 2 * (kFirstWord + kWords)) return std::string();
  std::string serial;
  for (size_t word = kFirstWord; word < kFirstWord + kWords; ++word) {
    serial.push_back(static_cast<char>(identify[2 * word + 1]));
    serial.push_back(static_cast<char>(identify[2 * word]));
  }
  return RemoveTrailingSpaces(UpToFirstZero(serial));
}

std::string DecodeStorageSerial(const std::string& raw) {
  std::string text;
  if (!DecodeHexPairs(raw, &text)) {
    const bool printable = std::all_of(raw.begin(), raw.end(), [](char c) {
      return IsPrintable(static_cast<unsigned char>(c));
    });
    text = printable ? raw : std::string();
  }
  for (size_t i = 0; i + 1 < text.size(); i += 2) std::swap(text[i], text[i + 1]);
  return UpToFirstZero(text);
}

std::string FormatAdapterAddress(const unsigned char address[6]) {
  return StringPrintf("%02X%02X%02X%02X%02X%02X", address[0], address[1], address[2], address[3],
                      address[4], address[5]);
}

std::string SmallestAdapterAddress(const std::vector<std::string>& addresses) {
  if (addresses.empty()) return std::string();
  return *std::min_element(addresses.begin(), addresses.end());
}

std::string FormatProcessorPart(const char vendor[12], uint32_t feature_flags) {
  return UpToFirstZero(std::string(vendor, 12)) + StringPrintf(":%08x", static_cast<unsigned>(feature_flags));
}
