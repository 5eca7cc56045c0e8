// Text helpers shared by every module: the installer's own UTF-8/UTF-16 conversions,
// printf-style formatting, and the split/trim/replace rules of the configuration files.
//
// A wchar_t holds one UTF-16 code unit. On Windows that is its natural size; the host
// build (32-bit wchar_t) stores code units the same way, so the rules are identical.
#pragma once

#include <string>
#include <vector>

// UTF-16 to UTF-8. Unpaired surrogates are encoded as three-byte sequences. The result
// is empty when the input ends inside a surrogate pair.
std::string Utf16ToUtf8(const std::wstring& text);

// UTF-8 to UTF-16. The result is empty when the input holds an illegal sequence (a stray
// continuation byte, an overlong form, an encoded surrogate, a value above U+10FFFF) or
// ends inside a character.
std::wstring Utf8ToUtf16(const std::string& text);

// printf-style formatting. The text is formatted into 1024 characters first and, when
// it does not fit, into buffers of twice the size up to 33,554,432 characters; a result
// that still does not fit gives an empty string. In the wide form, write %ls for a
// wide-string argument (the same on every C runtime).
std::string StringPrintf(const char* format, ...)
#if defined(__GNUC__) && !defined(__MINGW32__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::wstring WStringPrintf(const wchar_t* format, ...);

// Replaces every occurrence of `find` in `subject`, left to right, without rescanning
// the replacement. An empty `find` changes nothing.
void ReplaceAll(const std::wstring& find, const std::wstring& replacement, std::wstring& subject);
void ReplaceAll(const std::string& find, const std::string& replacement, std::string& subject);

// Cuts `text` at any of `delimiters`; runs of delimiters count as one and empty pieces
// are dropped.
std::vector<std::wstring> SplitString(const std::wstring& text, const std::wstring& delimiters);
std::vector<std::string> SplitString(const std::string& text, const std::string& delimiters);

// Removes from both ends every space and every code unit below 30.
std::wstring TrimString(const std::wstring& text);
