#include "installer/report/md5.h"

#include <cstring>

namespace {

constexpr uint32_t kInitialState[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};

// T[i] = floor(2^32 * |sin(i + 1)|), the additive constants of the 64 steps.
constexpr uint32_t kSine[64] = {
    0xd76aa478u, 0xe8c7b756u, 0x242070dbu, 0xc1bdceeeu, 0xf57c0fafu, 0x4787c62au, 0xa8304613u,
    0xfd469501u, 0x698098d8u, 0x8b44f7afu, 0xffff5bb1u, 0x895cd7beu, 0x6b901122u, 0xfd987193u,
    0xa679438eu, 0x49b40821u, 0xf61e2562u, 0xc040b340u, 0x265e5a51u, 0xe9b6c7aau, 0xd62f105du,
    0x02441453u, 0xd8a1e681u, 0xe7d3fbc8u, 0x21e1cde6u, 0xc33707d6u, 0xf4d50d87u, 0x455a14edu,
    0xa9e3e905u, 0xfcefa3f8u, 0x676f02d9u, 0x8d2a4c8au, 0xfffa3942u, 0x8771f681u, 0x6d9d6122u,
    0xfde5380cu, 0xa4beea44u, 0x4bdecfa9u, 0xf6bb4b60u, 0xbebfbc70u, 0x289b7ec6u, 0xeaa127fau,
    0xd4ef3085u, 0x04881d05u, 0xd9d4d039u, 0xe6db99e5u, 0x1fa27cf8u, 0xc4ac5665u, 0xf4292244u,
    0x432aff97u, 0xab9423a7u, 0xfc93a039u, 0x655b59c3u, 0x8f0ccc92u, 0xffeff47du, 0x85845dd1u,
    0x6fa87e4fu, 0xfe2ce6e0u, 0xa3014314u, 0x4e0811a1u, 0xf7537e82u, 0xbd3af235u, 0x2ad7d2bbu,
    0xeb86d391u};

// Rotation amounts, four per round.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void EncodeLittleEndian(const uint32_t* words, size_t count, unsigned char* out) {
  for (size_t i = 0; i < count; ++i) {
    out[4 * i] = static_cast<unsigned char>(words[i]);
    out[4 * i + 1] = static_cast<unsigned char>(words[i] >> 8);
    out[4 * i + 2] = static_cast<unsigned char>(words[i] >> 16);
    out[4 * i + 3] = static_cast<unsigned char>(words[i] >> 24);
  }
}

}  // namespace

MD5_CTX::MD5_CTX() {
  std::memset(padding_, 0, sizeof(padding_));
  padding_[0] = 0x80;
  Reset();
}

MD5_CTX::~MD5_CTX() = default;

void MD5_CTX::Reset() {
  std::memcpy(state_, kInitialState, sizeof(state_));
  count_[0] = count_[1] = 0;
  std::memset(buffer_, 0, sizeof(buffer_));
}

void MD5_CTX::Update(const unsigned char* input, size_t length) {
  if (length == 0) return;
  size_t index = (count_[0] >> 3) & 0x3F;

  // The bit count is kept modulo 2^64, as the padding encodes it.
  const uint64_t bits = (static_cast<uint64_t>(count_[1]) << 32 | count_[0]) +
                        (static_cast<uint64_t>(length) << 3);
  count_[0] = static_cast<uint32_t>(bits);
  count_[1] = static_cast<uint32_t>(bits >> 32);

  const size_t part = 64 - index;
  size_t i = 0;
  if (length >= part) {
    std::memcpy(&buffer_[index], input, part);
    Transform(buffer_);
    for (i = part; i + 63 < length; i += 64) Transform(&input[i]);
    index = 0;
  }
  std::memcpy(&buffer_[index], &input[i], length - i);
}

void MD5_CTX::Final(unsigned char digest[16]) {
  unsigned char bits[8];
  EncodeLittleEndian(count_, 2, bits);

  const size_t index = (count_[0] >> 3) & 0x3F;
  const size_t pad_length = index < 56 ? 56 - index : 120 - index;
  Update(padding_, pad_length);
  Update(bits, 8);

  EncodeLittleEndian(state_, 4, digest);
  Reset();
}

void MD5_CTX::Transform(const unsigned char block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) {
    x[i] = static_cast<uint32_t>(block[4 * i]) | static_cast<uint32_t>(block[4 * i + 1]) << 8 |
           static_cast<uint32_t>(block[4 * i + 2]) << 16 |
           static_cast<uint32_t>(block[4 * i + 3]) << 24;
  }

  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (int step = 0; step < 64; ++step) {
    const int round = step / 16;
    uint32_t f;
    int word;
    switch (round) {
      case 0:
        f = (b & c) | (~b & d);
        word = step;
        break;
      case 1:
        f = (b & d) | (c & ~d);
        word = (5 * step + 1) % 16;
        break;
      case 2:
        f = b ^ c ^ d;
        word = (3 * step + 5) % 16;
        break;
      default:
        f = c ^ (b | ~d);
        word = (7 * step) % 16;
        break;
    }
    const uint32_t rotated = b + RotateLeft(a + f + x[word] + kSine[step], kShift[round][step % 4]);
    a = d;
    d = c;
    c = b;
    b = rotated;
  }

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

std::string Md5Hex(const std::string& text) {
  MD5_CTX context;
  context.Update(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  unsigned char digest[16];
  context.Final(digest);

  static const char kHex[] = "0123456789abcdef";
  std::string hex(32, '0');
  for (int i = 0; i < 16; ++i) {
    hex[2 * i] = kHex[digest[i] >> 4];
    hex[2 * i + 1] = kHex[digest[i] & 0x0F];
  }
  return hex;
}
