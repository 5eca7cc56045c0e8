#include "installer/report/hardware_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 512 bytes of IDENTIFY data whose serial words (10 to 19) read `serial` (20
// characters): each word holds its first character in the high byte. The words around
// them carry other text, as a drive's do.
std::vector<unsigned char> IdentifyData(const std::string& serial) {
  std::vector<unsigned char> data(512, 0);
  const std::string before = "FIRMWAREJUNKBEFORESERIAL";   // words 0 to 9 (and more)
  const std::string model = "WDC WD10EZEX-08WN4A0                    ";  // words 27 to 46
  for (size_t i = 0; i < 20; ++i) data[i] = static_cast<unsigned char>(before[i]);
  for (size_t i = 0; i < 20; ++i) {
    const size_t word = 10 + i / 2;
    data[2 * word + (i % 2 == 0 ? 1 : 0)] = static_cast<unsigned char>(serial[i]);
  }
  for (size_t i = 0; i < model.size(); ++i) {
    const size_t word = 27 + i / 2;
    data[2 * word + (i % 2 == 0 ? 1 : 0)] = static_cast<unsigned char>(model[i]);
  }
  return data;
}

TEST(HardwareTextTest, IdentifySerialTextReadsWordsTenToNineteenHighByteFirst) {
  const struct {
    std::string serial;  // 20 characters as the drive means them
    std::string expected;
  } cases[] = {
      {"WD-WCC4N0123456     ", "WD-WCC4N0123456"},
      {"  S21NNXAG123456    ", "  S21NNXAG123456"},  // leading spaces stay
      {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST"},
      {"                    ", ""},
      {std::string("Z9\0\0TAIL            ", 20), "Z9"},  // a zero byte ends the text
  };
  for (const auto& c : cases) {
    const std::vector<unsigned char> data = IdentifyData(c.serial);
    EXPECT_EQ(IdentifySerialText(data.data(), data.size()), c.expected) << c.serial;
  }
}

TEST(HardwareTextTest, IdentifySerialTextOfTooLittleDataIsEmpty) {
  const std::vector<unsigned char> data = IdentifyData("ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(IdentifySerialText(data.data(), 39), "");
  EXPECT_EQ(IdentifySerialText(data.data(), 40), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(IdentifySerialText(nullptr, 512), "");
}

TEST(HardwareTextTest, DecodeStorageSerialDecodesHexOrTakesTextThenSwapsPairs) {
  const struct {
    std::string raw;
    std::string expected;
  } cases[] = {
      // Hexadecimal pairs decoding to printable text: decoded, then pairs swapped.
      {"4457572d434345343231343336352037", "WD-WCC4E1234567 "},
      {"3130", "01"},
      {"4a4B", "KJ"},  // either letter case
      // A space counts as the digit 0: " 0" is a zero byte, which ends the text.
      {"4142 0", "BA"},
      // Hex that decodes to a control character is not hex: the text is taken as is.
      {"0102", "1020"},
      // Not hexadecimal at all: the printable text as it is, pairs swapped.
      {"S21NNXAG123456", "2SN1XNGA214365"},
      {"ABCDE", "BADCE"},  // an odd length leaves the last character
      {"414", "144"},      // an odd number of digits is not pairs of hex
      // A non-printable character makes the whole result empty.
      {"AB\x01" "CD", ""},
      {"\xC3\xA9t\xC3\xA9", ""},
      {"", ""},
      // Zero bytes from decoding end the text after the swap.
      {"00410042", "A"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeStorageSerial(c.raw), c.expected) << '"' << c.raw << '"';
  }
}

TEST(HardwareTextTest, RemoveTrailingSpacesKeepsLeadingOnesAndOtherWhitespace) {
  EXPECT_EQ(RemoveTrailingSpaces("  SERIAL    "), "  SERIAL");
  EXPECT_EQ(RemoveTrailingSpaces("    "), "");
  EXPECT_EQ(RemoveTrailingSpaces(""), "");
  EXPECT_EQ(RemoveTrailingSpaces("A\t "), "A\t");
  EXPECT_EQ(RemoveTrailingSpaces("A B"), "A B");
}

TEST(HardwareTextTest, AdapterAddressesAreUppercaseHexAndTheSmallestWins) {
  const unsigned char first[6] = {0x00, 0x15, 0x5D, 0x01, 0x02, 0x03};
  const unsigned char second[6] = {0x00, 0x11, 0xAA, 0xBB, 0xCC, 0xDD};
  EXPECT_EQ(FormatAdapterAddress(first), "00155D010203");
  EXPECT_EQ(FormatAdapterAddress(second), "0011AABBCCDD");
  EXPECT_EQ(SmallestAdapterAddress({"00155D010203", "0011AABBCCDD"}), "0011AABBCCDD");
  EXPECT_EQ(SmallestAdapterAddress({"0011AABBCCDD", "00155D010203"}), "0011AABBCCDD");
  EXPECT_EQ(SmallestAdapterAddress({"F0", "0F", "A0"}), "0F");
  EXPECT_EQ(SmallestAdapterAddress({}), "");
  // Bytes compare unsigned: a byte above 0x7F sorts after every letter.
  EXPECT_EQ(SmallestAdapterAddress({"\xFF", "z"}), "z");
}

TEST(HardwareTextTest, ProcessorPartIsVendorColonAndEightLowercaseDigits) {
  EXPECT_EQ(FormatProcessorPart("GenuineIntel", 0x178BFBFF), "GenuineIntel:178bfbff");
  EXPECT_EQ(FormatProcessorPart("AuthenticAMD", 0x0000000A), "AuthenticAMD:0000000a");
  const char with_zero[12] = {'V', 'M', 0, 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(FormatProcessorPart(with_zero, 0), "VM:00000000");
}

}  // namespace
