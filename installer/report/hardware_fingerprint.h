// How the hardware fingerprint is put together from its probes: the processor part,
// then the serial of the first disk method that succeeds, then the address of the
// first adapter method that succeeds. The probes themselves are passed in, so the order
// and the fall-through hold the same whatever reads the hardware.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A probe fills its text and returns true, or returns false to let the next one try.
using HardwareProbe = std::function<bool(std::string* text)>;

// Disk serials and adapter addresses are kept to 99 characters, the fingerprint to 4095.
constexpr size_t kMaxProbeTextLength = 99;
constexpr size_t kMaxFingerprintLength = 4095;

std::string ComposeFingerprint(const std::string& processor_part,
                               const std::vector<HardwareProbe>& disk_methods,
                               const std::vector<HardwareProbe>& adapter_methods);
