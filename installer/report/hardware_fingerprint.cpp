#include "installer/report/hardware_fingerprint.h"

#include "installer/report/hardware_text.h"

namespace {

std::string FirstSuccess(const std::vector<HardwareProbe>& methods) {
  for (const HardwareProbe& method : methods) {
    std::string text;
    if (method && method(&text)) return text.substr(0, kMaxProbeTextLength);
  }
  return std::string();
}

}  // namespace

std::string ComposeFingerprint(const std::string& processor_part,
                               const std::vector<HardwareProbe>& disk_methods,
                               const std::vector<HardwareProbe>& adapter_methods) {
  std::string fingerprint = processor_part;
  fingerprint += RemoveTrailingSpaces(FirstSuccess(disk_methods));
  fingerprint += FirstSuccess(adapter_methods);
  return fingerprint.substr(0, kMaxFingerprintLength);
}
