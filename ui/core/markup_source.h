// Where a markup source is read from: markup text itself, the open resource package, or
// the disk.
#pragma once

#include <string>

#include "ui/core/markup_document.h"

namespace ui {

// A source beginning with "<" is markup text and is parsed as it is. Otherwise it is a
// path relative to the resource folder: with a package open its entry is read (UTF-8,
// up to the first zero byte, with or without byte-order mark); without a package, or
// when the package has no such entry, the file is read from the disk (UTF-8).
bool LoadMarkupSource(MarkupDocument& document, const std::wstring& source);

}  // namespace ui
