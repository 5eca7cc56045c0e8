// The rules of the install sequence that need no window or OS facility: the
// telemetry bucket of a download's duration, the bar value of a download percentage,
// the disk space an installation needs, and the filling of a message's placeholder.
#pragma once

#include <string>

// Suffix of the "Install_Time" event for a download of `elapsed_seconds`, truncated to
// whole seconds d: d <= 0 gives "" (also for a value that is not a number), then
// "0-15s", "15.1-30s", "30.1s-1min", "1-2mins", "2-3mins", "3-5mins", "5-10mins" for d up
// to 15, 30, 60, 120, 180, 300, 600, and "over 10mins" above.
std::string DurationBucket(double elapsed_seconds);

// Bar value for a download percentage: the download fills the bar up to 90, rounding
// up. A percentage outside 0..100 gives -1 (ignored by the caller).
int BarValueForDownloadPercent(int percent);

// Whole MiB needed to install a download of `expected_bytes`: three times its size.
// A size that is not a positive number needs nothing.
long long RequiredDiskSpaceMiB(double expected_bytes);

// `text` with every `placeholder` (such as "%s" or "%d") replaced by `value` and every
// "%%" by "%"; any other "%" stays as it is. The texts come from translated string
// tables, so they are never used as a format.
std::wstring FillPlaceholder(const std::wstring& text, const std::wstring& placeholder,
                             const std::wstring& value);
