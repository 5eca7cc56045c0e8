#include "installer/utils/string_util.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace {

constexpr size_t kFirstFormatBuffer = 1024;
constexpr size_t kLastFormatBuffer = 33554432;

bool IsHighSurrogate(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendUtf8(unsigned cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

template <typename Char, typename Formatter>
std::basic_string<Char> FormatWithGrowingBuffer(Formatter format_into) {
  std::basic_string<Char> buffer;
  size_t size = kFirstFormatBuffer;
  while (size <= kLastFormatBuffer) {
    buffer.assign(size, Char());
    const int written = format_into(&buffer[0], size);
    if (written >= 0 && static_cast<size_t>(written) < size) {
      buffer.resize(static_cast<size_t>(written));
      return buffer;
    }
    // Some runtimes answer -1 when the text does not fit, others the full length; with
    // the length known, the doublings too small to hold it are skipped.
    size *= 2;
    while (written >= 0 && size <= static_cast<size_t>(written) && size <= kLastFormatBuffer) {
      size *= 2;
    }
  }
  return std::basic_string<Char>();
}

template <typename Str>
void ReplaceAllImpl(const Str& find, const Str& replacement, Str& subject) {
  if (find.empty()) return;
  size_t pos = 0;
  while ((pos = subject.find(find, pos)) != Str::npos) {
    subject.replace(pos, find.size(), replacement);
    pos += replacement.size();
  }
}

template <typename Str>
std::vector<Str> SplitImpl(const Str& text, const Str& delimiters) {
  std::vector<Str> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(delimiters, start);
    if (end == Str::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

}  // namespace

std::string Utf16ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned u = static_cast<unsigned>(text[i]) & 0xFFFF;
    if (IsHighSurrogate(u)) {
      if (i + 1 == text.size()) return std::string();  // ends inside a pair
      unsigned next = static_cast<unsigned>(text[i + 1]) & 0xFFFF;
      if (IsLowSurrogate(next)) {
        AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00), out);
        ++i;
        continue;
      }
    }
    AppendUtf8(u, out);  // includes unpaired surrogates as three bytes
  }
  return out;
}

std::wstring Utf8ToUtf16(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    unsigned cp;
    size_t length;
    unsigned minimum;
    if (lead < 0x80) {
      out += static_cast<wchar_t>(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      cp = lead & 0x1F; length = 2; minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      cp = lead & 0x0F; length = 3; minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      cp = lead & 0x07; length = 4; minimum = 0x10000;
    } else {
      return std::wstring();  // stray continuation byte or invalid lead
    }
    if (i + length > n) return std::wstring();  // ends inside a character
    for (size_t k = 1; k < length; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return std::wstring();
      cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms, values above U+10FFFF and encoded surrogates are not UTF-8.
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::wstring();
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<wchar_t>(cp);
    }
    i += length;
  }
  return out;
}

std::string StringPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = FormatWithGrowingBuffer<char>([&](char* buffer, size_t size) {
    va_list copy;
    va_copy(copy, args);
    const int written = std::vsnprintf(buffer, size, format, copy);
    va_end(copy);
    return written;
  });
  va_end(args);
  return result;
}

std::wstring WStringPrintf(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring result = FormatWithGrowingBuffer<wchar_t>([&](wchar_t* buffer, size_t size) {
    va_list copy;
    va_copy(copy, args);
    const int written = std::vswprintf(buffer, size, format, copy);
    va_end(copy);
    return written;
  });
  va_end(args);
  return result;
}

void ReplaceAll(const std::wstring& find, const std::wstring& replacement, std::wstring& subject) {
  ReplaceAllImpl(find, replacement, subject);
}

void ReplaceAll(const std::string& find, const std::string& replacement, std::string& subject) {
  ReplaceAllImpl(find, replacement, subject);
}

std::vector<std::wstring> SplitString(const std::wstring& text, const std::wstring& delimiters) {
  return SplitImpl(text, delimiters);
}

std::vector<std::string> SplitString(const std::string& text, const std::string& delimiters) {
  return SplitImpl(text, delimiters);
}

std::wstring TrimString(const std::wstring& text) {
  auto removable = [](wchar_t c) { return c == L' ' || static_cast<unsigned>(c) < 30; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && removable(text[begin])) ++begin;
  while (end > begin && removable(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}
