#include "installer/utils/process_util.h"

std::wstring BuildSilentSetupParameters(const std::wstring& folder, const std::wstring& password) {
  std::wstring parameters = L"/DIR=\"" + folder + L"\" /dorvane_down";
  if (!password.empty()) parameters += L" /PASSWORD=\"" + password + L"\"";
  parameters += L" /wait_run /verysilent";
  return parameters;
}

int64_t UnixTimeFromFileTime(uint64_t file_time) {
  constexpr int64_t kFileTimeOfUnixEpoch = 116444736000000000;
  constexpr int64_t kFileTimeUnitsPerSecond = 10000000;
  return (static_cast<int64_t>(file_time) - kFileTimeOfUnixEpoch) / kFileTimeUnitsPerSecond;
}

std::wstring BuildTaskListCommand(const std::wstring& image_name) {
  return L"tasklist /FI \"IMAGENAME eq " + image_name + L"\" /NH";
}
