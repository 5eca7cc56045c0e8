#include "installer/report/device_id.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "base/win/scoped_handle.h"
#include "installer/report/adapter_address_probe.h"
#include "installer/report/disk_serial_probe.h"
#include "installer/report/md5.h"
#include "installer/report/processor_probe.h"
#include "installer/utils/string_util.h"

namespace {

// The addresses of the host's network interfaces as the fingerprint writes them, read
// from the Linux side through Wine's drive Z:; empty when that is not reachable.
std::vector<std::string> HostInterfaceAddresses() {
  std::vector<std::string> addresses;
  WIN32_FIND_DATAW entry;
  nbase::win::ScopedFindHandle find(FindFirstFileW(L"Z:\\sys\\class\\net\\*", &entry));
  if (!find) return addresses;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    std::ifstream file("Z:\\sys\\class\\net\\" + Utf16ToUtf8(name) + "\\address");
    std::string text;
    if (!(file >> text)) continue;
    text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    addresses.push_back(text);
  } while (FindNextFileW(find.get(), &entry));
  return addresses;
}

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST(DeviceIdTest, ProcessorPartIsVendorAndFeatureFlags) {
  EXPECT_TRUE(std::regex_match(ReadProcessorPart(), std::regex("[ -~]{12}:[0-9a-f]{8}")))
      << ReadProcessorPart();
}

// Wine has no IDENTIFY data; it answers the storage query without a serial.
TEST(DeviceIdTest, UnderWineNoDiskMethodFindsASerial) {
  if (!RunningUnderWine()) GTEST_SKIP() << "what answers depends on Wine";
  std::string text = "untouched";
  EXPECT_FALSE(ReadDiskSerialWithAdminRights(&text));
  EXPECT_FALSE(ReadDiskSerialAsScsiDrive(&text));
  EXPECT_FALSE(ReadDiskSerialUsingSmart(&text));
  EXPECT_EQ(text, "untouched");
  EXPECT_TRUE(ReadDiskSerialWithZeroRights(&text));
  EXPECT_EQ(text, "");
}

// Wine answers for adapters with the host's network interfaces.
TEST(DeviceIdTest, UnderWineAdapterAddressesAreTheHostInterfaces) {
  if (!RunningUnderWine()) GTEST_SKIP() << "what answers depends on Wine";
  const std::vector<std::string> host = HostInterfaceAddresses();
  if (host.empty()) GTEST_SKIP() << "the host's interfaces are not visible";
  std::string address;
  if (ReadAdapterAddressFromDrivers(&address)) {
    EXPECT_NE(std::find(host.begin(), host.end(), address), host.end()) << address;
  }
  address.clear();
  if (ReadAdapterAddressFromNetbios(&address)) {
    EXPECT_NE(std::find(host.begin(), host.end(), address), host.end()) << address;
  }
}

TEST(DeviceIdTest, UnderWineTheFingerprintIsTheProcessorPartAndAnAdapter) {
  if (!RunningUnderWine()) GTEST_SKIP() << "what answers depends on Wine";
  std::string address;
  if (!ReadAdapterAddressFromDrivers(&address)) ReadAdapterAddressFromNetbios(&address);
  EXPECT_EQ(GetHardwareFingerprint(), ReadProcessorPart() + address);
}

TEST(DeviceIdTest, DeviceIdIsTheDigestOfTheFingerprintAndStaysTheSame) {
  const std::string id = GetDeviceId();
  EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{32}"))) << id;
  EXPECT_EQ(id, Md5Hex(GetHardwareFingerprint()));
  EXPECT_EQ(GetDeviceId(), id);
}

}  // namespace
