#include "installer/window/install_rules.h"

#include <algorithm>
#include <cmath>

std::string DurationBucket(double elapsed_seconds) {
  // Compared on the double itself: truncating first would overflow for huge values.
  // "d <= n" for the truncated d is "seconds < n + 1".
  struct Bucket {
    double below;
    const char* suffix;
  };
  static const Bucket kBuckets[] = {
      {1, ""},           {16, "0-15s"},    {31, "15.1-30s"}, {61, "30.1s-1min"},
      {121, "1-2mins"},  {181, "2-3mins"}, {301, "3-5mins"}, {601, "5-10mins"},
  };
  if (std::isnan(elapsed_seconds)) return std::string();
  for (const Bucket& bucket : kBuckets) {
    if (elapsed_seconds < bucket.below) return bucket.suffix;
  }
  return "over 10mins";
}

int BarValueForDownloadPercent(int percent) {
  if (percent < 0 || percent > 100) return -1;
  return (percent * 9 + 9) / 10;
}

long long RequiredDiskSpaceMiB(double expected_bytes) {
  if (!(expected_bytes > 0)) return 0;
  // A length announced by a server is not trusted to fit: clamp before converting.
  const double mib = std::min(expected_bytes * 3 / (1024.0 * 1024.0), 1.0e15);
  return static_cast<long long>(mib);
}

std::wstring FillPlaceholder(const std::wstring& text, const std::wstring& placeholder,
                             const std::wstring& value) {
  std::wstring out;
  out.reserve(text.size() + value.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, L"%%") == 0) {
      out += L'%';
      i += 2;
    } else if (!placeholder.empty() && text.compare(i, placeholder.size(), placeholder) == 0) {
      out += value;
      i += placeholder.size();
    } else {
      out += text[i];
      ++i;
    }
  }
  return out;
}
