#include "installer/report/adapter_address_probe.h"

#include <windows.h>
#include <nb30.h>

#include <cstring>
#include <vector>

#include "base/win/scoped_handle.h"
#include "installer/report/hardware_text.h"

using nbase::win::ScopedHandle;
using nbase::win::ScopedRegKey;

namespace {

constexpr DWORD kNdisQueryGlobalStats = 0x00170002;
constexpr DWORD kPermanentAddressOid = 0x01010101;
constexpr wchar_t kNetworkCardsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";

// The "ServiceName" text of a NetworkCards subkey; empty when absent or not text.
std::wstring ReadServiceName(HKEY cards, const wchar_t* subkey) {
  ScopedRegKey card;
  if (RegOpenKeyExW(cards, subkey, 0, KEY_READ | KEY_WOW64_32KEY, card.put()) != ERROR_SUCCESS) {
    return std::wstring();
  }
  wchar_t value[256] = {};
  DWORD type = 0;
  DWORD size = sizeof(value) - sizeof(wchar_t);  // room for a terminator the value may lack
  if (RegQueryValueExW(card.get(), L"ServiceName", nullptr, &type, reinterpret_cast<BYTE*>(value),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::wstring();
  }
  return std::wstring(value);
}

bool QueryPermanentAddress(const std::wstring& service, std::string* address) {
  ScopedHandle device(CreateFileW((L"\\\\.\\" + service).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  if (!device) return false;
  DWORD oid = kPermanentAddressOid;
  unsigned char answer[256] = {};
  DWORD returned = 0;
  if (!DeviceIoControl(device.get(), kNdisQueryGlobalStats, &oid, sizeof(oid), answer,
                       sizeof(answer), &returned, nullptr) ||
      returned < 6) {
    return false;
  }
  *address = FormatAdapterAddress(answer);
  return true;
}

}  // namespace

bool ReadAdapterAddressFromDrivers(std::string* address) {
  ScopedRegKey cards;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNetworkCardsKey, 0, KEY_READ | KEY_WOW64_32KEY,
                    cards.put()) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<std::string> addresses;
  for (DWORD index = 0;; ++index) {
    wchar_t subkey[256];  // key names have at most 255 characters
    DWORD length = 256;
    const LONG result =
        RegEnumKeyExW(cards.get(), index, subkey, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) break;
    const std::wstring service = ReadServiceName(cards.get(), subkey);
    std::string one;
    if (!service.empty() && QueryPermanentAddress(service, &one)) addresses.push_back(one);
  }
  if (addresses.empty()) return false;
  *address = SmallestAdapterAddress(addresses);
  return true;
}

bool ReadAdapterAddressFromNetbios(std::string* address) {
  LANA_ENUM lanas = {};
  NCB ncb = {};
  ncb.ncb_command = NCBENUM;
  ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
  ncb.ncb_length = sizeof(lanas);
  if (Netbios(&ncb) != NRC_GOODRET || lanas.length == 0) return false;

  // The reset prepares the adapter for the status query; only the query's answer counts.
  ncb = {};
  ncb.ncb_command = NCBRESET;
  ncb.ncb_lana_num = lanas.lana[0];
  Netbios(&ncb);

  struct {
    ADAPTER_STATUS status;
    NAME_BUFFER names[30];
  } answer = {};
  static_assert(sizeof(answer) == 600, "adapter status answer");
  ncb = {};
  ncb.ncb_command = NCBASTAT;
  ncb.ncb_lana_num = lanas.lana[0];
  std::memcpy(ncb.ncb_callname, "*               ", NCBNAMSZ);
  ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&answer);
  ncb.ncb_length = sizeof(answer);
  if (Netbios(&ncb) != NRC_GOODRET) return false;
  *address = FormatAdapterAddress(answer.status.adapter_address);
  return true;
}
