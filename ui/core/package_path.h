// Relative resource paths in the two forms the framework reads them in: archive form
// for the resource package, disk form for the folder beside the working directory.
#pragma once

#include <string>

namespace ui {

// Archive form: backslashes become forward slashes, doubled slashes collapse, and then
// empty segments, "./" and each "../" with the segment before it are removed, walking
// from the left. A path whose "../" climbs above its start names nothing in the
// archive and gives the empty string.
//   "resources\\themes\\default\\form\\../public/CheckBox/check_no.png"
//     -> "resources/themes/default/public/CheckBox/check_no.png"
std::wstring NormalizePackagePath(const std::wstring& path);

// Disk form: every forward slash becomes a backslash, then every pair of backslashes
// one backslash (one left-to-right pass).
std::wstring NormalizeFilePath(const std::wstring& path);

}  // namespace ui
