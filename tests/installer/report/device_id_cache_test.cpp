#include "installer/report/device_id_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "installer/report/md5.h"

namespace {

TEST(DeviceIdCacheTest, ComputesOnceAndReturnsTheSameTextAfterwards) {
  DeviceIdCache cache;
  int probes = 0;
  const auto fingerprint = [&probes] {
    ++probes;
    return std::string("GenuineIntel:178bfbffWD-WCC4E12345670011AABBCCDD");
  };
  const std::string first = cache.Get(fingerprint);
  const std::string second = cache.Get(fingerprint);
  EXPECT_EQ(first, Md5Hex("GenuineIntel:178bfbffWD-WCC4E12345670011AABBCCDD"));
  EXPECT_EQ(second, first);
  EXPECT_EQ(probes, 1);
}

TEST(DeviceIdCacheTest, AnEmptyFingerprintIsNotKept) {
  DeviceIdCache cache;
  int probes = 0;
  EXPECT_EQ(cache.Get([&probes] {
    ++probes;
    return std::string();
  }),
            "");
  EXPECT_EQ(cache.Get([&probes] {
    ++probes;
    return std::string("AuthenticAMD:0000000a");
  }),
            Md5Hex("AuthenticAMD:0000000a"));
  EXPECT_EQ(probes, 2);
}

TEST(DeviceIdCacheTest, ConcurrentFirstCallsProbeOnce) {
  DeviceIdCache cache;
  std::atomic<int> probes{0};
  std::vector<std::string> results(4);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&, i] {
      results[i] = cache.Get([&probes] {
        ++probes;
        return std::string("GenuineIntel:178bfbff");
      });
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(probes.load(), 1);
  for (const std::string& result : results) EXPECT_EQ(result, Md5Hex("GenuineIntel:178bfbff"));
}

}  // namespace
