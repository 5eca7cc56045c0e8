// The arithmetic of a range download, apart from any OS facility: the target's file name,
// the split into byte ranges, the check of each part's answer and the progress percent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kDownloadPartCount = 8;
// Part sizes and offsets are 32-bit signed: a file of 2 GiB or more cannot be fetched.
constexpr double kMaxDownloadLength = 2147483647.0;

// The characters after the last '/' of the URL's path, up to the first '&': "setup.exe"
// for ".../setup.exe?x=1&y=2", "a" for ".../a&b". The query is cut off first, so a '/'
// inside it does not count.
std::wstring FileNameFromUrl(const std::wstring& url);

// A download needs a URL under 512 characters that holds a '/', and a file name of 1 to
// 255 characters that Windows accepts as one (no \ / : * ? " < > |, control characters,
// "." or "..").
bool IsUsableDownload(const std::wstring& url, const std::wstring& file_name);

struct ByteRange {
  int32_t first = 0;
  int32_t last = -1;  // inclusive; first - 1 for an empty range
  int32_t size() const { return last - first + 1; }
};

// Eight ranges: seven of length / 8 bytes and a last one with the rest. A file shorter
// than eight bytes gives empty ranges before the last one.
std::vector<ByteRange> SplitIntoRanges(int32_t length);

// Whether an answer to a range request delivered exactly the range: `received` must be
// the range's size, and the answer either 206 with "Content-Range: bytes first-last/total"
// naming this range and the file's length, or 200 when the range is the whole file.
bool PartAnswerMatches(int status, const std::string& content_range, const ByteRange& range,
                       int32_t file_length, int64_t received);

// Whole percent of `downloaded` out of `total`, truncated; 0 when total is not positive.
int ProgressPercent(double downloaded, double total);
