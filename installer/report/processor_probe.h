// The processor part of the hardware fingerprint, read with the processor
// identification instruction: vendor text and feature flags.
#pragma once

#include <string>

std::string ReadProcessorPart();
