#include "installer/report/processor_probe.h"

#include <cstdint>
#include <cstring>

#include "installer/report/hardware_text.h"

#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif

namespace {

// EAX, EBX, ECX, EDX of the given leaf.
void Cpuid(uint32_t leaf, uint32_t registers[4]) {
#if defined(_MSC_VER)
  int values[4];
  __cpuid(values, static_cast<int>(leaf));
  for (int i = 0; i < 4; ++i) registers[i] = static_cast<uint32_t>(values[i]);
#else
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid(leaf, a, b, c, d);
  registers[0] = a;
  registers[1] = b;
  registers[2] = c;
  registers[3] = d;
#endif
}

}  // namespace

std::string ReadProcessorPart() {
  uint32_t registers[4];
  Cpuid(0, registers);
  char vendor[12];
  std::memcpy(vendor, &registers[1], 4);      // EBX
  std::memcpy(vendor + 4, &registers[3], 4);  // EDX
  std::memcpy(vendor + 8, &registers[2], 4);  // ECX
  Cpuid(1, registers);
  return FormatProcessorPart(vendor, registers[3]);
}
