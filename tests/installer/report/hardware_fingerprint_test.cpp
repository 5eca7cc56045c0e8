#include "installer/report/hardware_fingerprint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Stand-ins for the hardware probes, which only Windows on real hardware can answer:
// each records that it was asked and answers as told.
struct StandInProbes {
  std::vector<std::string> asked;

  HardwareProbe Failing(const std::string& name) {
    return [this, name](std::string*) {
      asked.push_back(name);
      return false;
    };
  }
  HardwareProbe Answering(const std::string& name, const std::string& answer) {
    return [this, name, answer](std::string* text) {
      asked.push_back(name);
      *text = answer;
      return true;
    };
  }
};

const char kProcessor[] = "GenuineIntel:178bfbff";

TEST(HardwareFingerprintTest, WithoutDiskOrAdapterItIsTheProcessorPartAlone) {
  StandInProbes probes;
  const std::string fingerprint = ComposeFingerprint(
      kProcessor, {probes.Failing("A"), probes.Failing("B"), probes.Failing("C"), probes.Failing("D")},
      {probes.Failing("E"), probes.Failing("F")});
  EXPECT_EQ(fingerprint, kProcessor);
  EXPECT_EQ(probes.asked, (std::vector<std::string>{"A", "B", "C", "D", "E", "F"}));
}

TEST(HardwareFingerprintTest, FirstSucceedingMethodOfEachKindWinsAndLaterOnesAreNotAsked) {
  StandInProbes probes;
  const std::string fingerprint = ComposeFingerprint(
      kProcessor,
      {probes.Failing("A"), probes.Answering("B", "SERIALB"), probes.Answering("C", "SERIALC"),
       probes.Failing("D")},
      {probes.Answering("E", "0011AABBCCDD"), probes.Answering("F", "00155D010203")});
  EXPECT_EQ(fingerprint, std::string(kProcessor) + "SERIALB" + "0011AABBCCDD");
  EXPECT_EQ(probes.asked, (std::vector<std::string>{"A", "B", "E"}));
}

TEST(HardwareFingerprintTest, AnEmptySerialStillEndsTheDiskSearch) {
  StandInProbes probes;
  const std::string fingerprint = ComposeFingerprint(
      kProcessor, {probes.Failing("A"), probes.Failing("B"), probes.Answering("C", ""),
                   probes.Answering("D", "SERIALD")},
      {probes.Failing("E"), probes.Answering("F", "00155D010203")});
  EXPECT_EQ(fingerprint, std::string(kProcessor) + "00155D010203");
  EXPECT_EQ(probes.asked, (std::vector<std::string>{"A", "B", "C", "E", "F"}));
}

TEST(HardwareFingerprintTest, SerialLosesTrailingSpacesButKeepsLeadingOnes) {
  StandInProbes probes;
  const std::string fingerprint =
      ComposeFingerprint(kProcessor, {probes.Answering("A", "  S21NNXAG    ")}, {});
  EXPECT_EQ(fingerprint, std::string(kProcessor) + "  S21NNXAG");
}

TEST(HardwareFingerprintTest, ProbeTextsAreCutToTheirBuffers) {
  StandInProbes probes;
  const std::string long_serial(150, 'S');
  const std::string long_address(120, 'A');
  const std::string fingerprint = ComposeFingerprint(
      kProcessor, {probes.Answering("C", long_serial)}, {probes.Answering("E", long_address)});
  EXPECT_EQ(fingerprint, std::string(kProcessor) + std::string(kMaxProbeTextLength, 'S') +
                             std::string(kMaxProbeTextLength, 'A'));

  const std::string huge_processor(5000, 'P');
  EXPECT_EQ(ComposeFingerprint(huge_processor, {}, {}).size(), kMaxFingerprintLength);
}

}  // namespace
