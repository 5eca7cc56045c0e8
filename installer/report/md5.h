// MD5 digests (RFC 1321): the device identifier is the digest of the hardware
// fingerprint, and every report-API request is signed with one.
//
// A context digests one message at a time; after Final it is back in its initial
// state and can digest the next message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class MD5_CTX {
 public:
  MD5_CTX();
  virtual ~MD5_CTX();

  void Update(const unsigned char* input, size_t length);
  // Writes the 16 digest bytes and resets the context for the next message.
  void Final(unsigned char digest[16]);

 private:
  void Reset();
  void Transform(const unsigned char block[64]);

  uint32_t state_[4];
  uint32_t count_[2];  // number of message bits, low word first
  unsigned char buffer_[64];
  unsigned char padding_[64];
};

// The digest of the bytes of `text` as 32 lowercase hexadecimal characters.
std::string Md5Hex(const std::string& text);
