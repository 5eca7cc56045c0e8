// The computer's identity as sent with every telemetry event.
#pragma once

#include <string>

// The fingerprint text: the processor part, the first disk serial and an adapter's
// permanent address, each probe that fails being skipped. Never empty.
std::string GetHardwareFingerprint();

// 32 lowercase hexadecimal characters: the MD5 of the fingerprint, computed on the first
// call of the process and returned from the cache afterwards.
std::string GetDeviceId();
