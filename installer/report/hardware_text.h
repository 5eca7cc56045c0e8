// The text rules of the hardware fingerprint, apart from the probes that read the
// hardware: how a disk's IDENTIFY data and a storage descriptor's serial become text,
// how adapter addresses and the processor part are written. Needs no OS facility.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Removes the spaces (and only spaces) at the end of `text`; leading ones stay.
std::string RemoveTrailingSpaces(std::string text);

// The serial number of 512 bytes of ATA IDENTIFY data: words 10 to 19, each giving its
// high byte and then its low byte, up to the first zero byte, without trailing spaces.
// Fewer than 40 bytes of data give an empty text.
std::string IdentifySerialText(const unsigned char* identify, size_t length);

// The serial number text found in a storage device descriptor. When the text is pairs
// of hexadecimal digits (a space counts as 0) that decode to printable characters or
// zero bytes, it is decoded; otherwise it is taken as it is, provided every character
// is printable (else the result is empty). Then each pair of adjacent characters is
// swapped. The result ends at its first zero byte.
std::string DecodeStorageSerial(const std::string& raw);

// Six address bytes as twelve uppercase hexadecimal digits.
std::string FormatAdapterAddress(const unsigned char address[6]);

// The address that sorts first, comparing bytes; empty when there is none.
std::string SmallestAdapterAddress(const std::vector<std::string>& addresses);

// The processor part: the 12-character vendor text (up to a zero byte), ":" and the feature flags as eight
// lowercase hexadecimal digits.
std::string FormatProcessorPart(const char vendor[12], uint32_t feature_flags);
