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

bool TaskListShowsImage(const std::wstring& answer, const std::wstring& image_name) {
  if (image_name.empty()) return false;
  size_t start = 0;
  while (start < answer.size()) {
    size_t end = answer.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = answer.size();
    const std::wstring line = answer.substr(start, end - start);
    if (line.compare(0, image_name.size(), image_name) == 0 && line.size() > image_name.size() &&
        line[image_name.size()] == L' ') {
      const size_t id = line.find_first_not_of(L' ', image_name.size());
      if (id != std::wstring::npos && line[id] >= L'0' && line[id] <= L'9') return true;
    }
    start = end + 1;
  }
  return false;
}
