#include "installer/HttpClient/download_plan.h"


namespace {

constexpr size_t kMaxUrlLength = 511;
constexpr size_t kMaxFileNameLength = 255;

// Parses "<digits>" at `pos` into `value`; false when there is no digit or it overflows.
bool ReadNumber(const std::string& text, size_t& pos, int64_t& value) {
  const size_t start = pos;
  value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    if (value > 0x7FFFFFFFLL) return false;
    ++pos;
  }
  return pos > start;
}

bool Expect(const std::string& text, size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

std::wstring FileNameFromUrl(const std::wstring& url) {
  const std::wstring path = url.substr(0, url.find(L'?'));
  const size_t slash = path.rfind(L'/');
  const std::wstring last = slash == std::wstring::npos ? path : path.substr(slash + 1);
  return last.substr(0, last.find(L'&'));
}

bool IsUsableDownload(const std::wstring& url, const std::wstring& file_name) {
  if (url.size() > kMaxUrlLength || url.find(L'/') == std::wstring::npos) return false;
  if (file_name.empty() || file_name.size() > kMaxFileNameLength) return false;
  if (file_name == L"." || file_name == L"..") return false;
  for (wchar_t c : file_name) {
    if (c < 32 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) return false;
  }
  return true;
}

std::vector<ByteRange> SplitIntoRanges(int32_t length) {
  const int32_t part = length / kDownloadPartCount;
  const int32_t rest = length - (kDownloadPartCount - 1) * part;
  std::vector<ByteRange> ranges(kDownloadPartCount);
  for (int i = 0; i < kDownloadPartCount; ++i) {
    ranges[i].first = i * part;
    ranges[i].last = ranges[i].first + (i == kDownloadPartCount - 1 ? rest : part) - 1;
  }
  return ranges;
}

bool PartAnswerMatches(int status, const std::string& content_range, const ByteRange& range,
                       int32_t file_length, int64_t received) {
  if (received != range.size()) return false;
  if (status == 200) return range.first == 0 && range.size() == file_length;
  if (status != 206) return false;
  // "bytes <first>-<last>/<length>", nothing else.
  const std::string unit = "bytes ";
  if (content_range.compare(0, unit.size(), unit) != 0) return false;
  size_t pos = unit.size();
  int64_t first = 0, last = 0, length = 0;
  if (!ReadNumber(content_range, pos, first) || !Expect(content_range, pos, '-') ||
      !ReadNumber(content_range, pos, last) || !Expect(content_range, pos, '/') ||
      !ReadNumber(content_range, pos, length) || pos != content_range.size()) {
    return false;
  }
  return first == range.first && last == range.last && length == file_length;
}

int ProgressPercent(double downloaded, double total) {
  if (!(total > 0) || !(downloaded > 0)) return 0;
  const double percent = downloaded / total * 100.0;
  return percent >= 100.0 ? 100 : static_cast<int>(percent);
}
