#include "installer/report/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Byte files and their digests, written at build time by the host's md5sum.
const char kFixtureDir[] = "md5_fixture/";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct FixtureFile {
  std::string name;
  std::string digest;
  std::string bytes;
};

std::vector<FixtureFile> LoadFixture() {
  std::vector<FixtureFile> files;
  std::istringstream lines(ReadFile(std::string(kFixtureDir) + "digests.txt"));
  std::string digest, name;
  while (lines >> digest >> name) {
    files.push_back({name, digest, ReadFile(kFixtureDir + name)});
  }
  return files;
}

std::string Hex(const unsigned char digest[16]) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (int i = 0; i < 16; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0x0F];
  }
  return hex;
}

std::string DigestInChunks(const std::string& bytes, size_t chunk) {
  MD5_CTX context;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t done = 0; done < bytes.size(); done += chunk) {
    context.Update(data + done, std::min(chunk, bytes.size() - done));
  }
  unsigned char digest[16];
  context.Final(digest);
  return Hex(digest);
}

TEST(Md5Test, Rfc1321Suite) {
  const struct {
    const char* input;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
       "7890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Md5Hex(c.input), c.digest) << '"' << c.input << '"';
  }
}

TEST(Md5Test, MatchesMd5sumAcrossBlockBoundariesAndOnMegabytes) {
  const std::vector<FixtureFile> files = LoadFixture();
  std::vector<size_t> sizes;
  for (const FixtureFile& file : files) sizes.push_back(file.bytes.size());
  // 55 and 56 bytes straddle the padding's length field; 63 to 65 the block edge.
  for (size_t expected : {55u, 56u, 63u, 64u, 65u, 3u * 1024 * 1024 + 17}) {
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), expected), sizes.end())
        << "fixture lacks a " << expected << "-byte file";
  }
  for (const FixtureFile& file : files) {
    EXPECT_EQ(Md5Hex(file.bytes), file.digest) << file.name;
  }
}

TEST(Md5Test, ChunkingOfUpdatesDoesNotChangeTheDigest) {
  const std::vector<FixtureFile> files = LoadFixture();
  ASSERT_FALSE(files.empty());
  for (const FixtureFile& file : files) {
    for (size_t chunk : {1u, 3u, 63u, 64u, 65u, 4097u}) {
      EXPECT_EQ(DigestInChunks(file.bytes, chunk), file.digest) << file.name << " by " << chunk;
    }
  }
}

TEST(Md5Test, ContextIsReusableAfterFinal) {
  MD5_CTX context;
  unsigned char digest[16];
  // A message that leaves bytes in the block buffer, then a short one.
  const std::string partial(100, 'x');
  context.Update(reinterpret_cast<const unsigned char*>(partial.data()), partial.size());
  context.Final(digest);
  EXPECT_EQ(Hex(digest), Md5Hex(partial));

  context.Update(reinterpret_cast<const unsigned char*>("abc"), 3);
  context.Final(digest);
  EXPECT_EQ(Hex(digest), "900150983cd24fb0d6963f7d28e17f72");

  // An empty message after use, with an empty update in between.
  context.Update(nullptr, 0);
  context.Final(digest);
  EXPECT_EQ(Hex(digest), "d41d8cd98f00b204e9800998ecf8427e");
}

}  // namespace
