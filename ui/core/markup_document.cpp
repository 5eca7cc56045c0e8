#include "ui/core/markup_document.h"

#include <cwctype>
#include <utility>

#include "installer/utils/string_util.h"
#include "ui/core/global_resources.h"
#include "ui/core/markup_platform.h"

namespace ui {

namespace {

constexpr size_t kMaxFileSize = 4 * 1024 * 1024;
constexpr size_t kMaxMessage = 99;
constexpr size_t kMaxLocation = 49;
// Positions are 32-bit; a text must leave room for its terminating zero.
constexpr size_t kMaxTextLength = 0x7FFFFFFE;

bool IsNameChar(wchar_t c) { return c == L'_' || c == L':' || std::iswalnum(c); }

void SkipWhitespace(const std::wstring& text, size_t& pos) {
  while (text[pos] != 0 && text[pos] <= 32) ++pos;
}

void SkipName(const std::wstring& text, size_t& pos) {
  while (IsNameChar(text[pos])) ++pos;
}

// Moves `pos` past the next `a` `b` pair, or to the end of the text.
void SkipPast(const std::wstring& text, size_t& pos, wchar_t a, wchar_t b) {
  while (text[pos] != 0 && !(text[pos] == a && text[pos + 1] == b)) ++pos;
  if (text[pos] != 0) pos += 2;
}

struct Entity {
  const wchar_t* name;  // with its semicolon
  size_t length;
  wchar_t character;
};

constexpr Entity kEntities[] = {
    {L"amp;", 4, L'&'}, {L"lt;", 3, L'<'}, {L"gt;", 3, L'>'},
    {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''},
};

// The entity whose name follows the ampersand at `pos`, if any.
const Entity* EntityAt(const std::wstring& text, size_t pos) {
  for (const Entity& entity : kEntities) {
    size_t i = 0;
    while (i < entity.length && text[pos + 1 + i] == entity.name[i]) ++i;
    if (i == entity.length) return &entity;
  }
  return nullptr;
}

}  // namespace

bool MarkupDocument::ParseText(const std::wstring& text) { return ParseDecodedText(text); }

bool MarkupDocument::ParseFile(const std::wstring& path, MarkupEncoding encoding) {
  Release();
  error_message_.clear();
  error_location_.clear();
  const std::wstring full_path =
      IsRelativeFilePath(path) ? GlobalResources::ResourceFolder() + path : path;
  std::vector<uint8_t> bytes;
  switch (ReadWholeFile(full_path, kMaxFileSize, bytes)) {
    case MarkupFileResult::kOk:
      return ParseBytes(bytes.data(), bytes.size(), encoding);
    case MarkupFileResult::kCannotOpen:
      return Fail(L"Error opening file");
    case MarkupFileResult::kEmpty:
      return Fail(L"File is empty");
    case MarkupFileResult::kTooLarge:
      return Fail(L"File too large");
    case MarkupFileResult::kShortRead:
      return Fail(L"Could not read file");
  }
  return Fail(L"Could not read file");
}

bool MarkupDocument::ParseBytes(const uint8_t* bytes, size_t length, MarkupEncoding encoding) {
  Release();
  error_message_.clear();
  error_location_.clear();
  if (bytes == nullptr && length != 0) return Fail(L"No text to parse");
  std::wstring text;
  switch (encoding) {
    case MarkupEncoding::kUtf8: {
      if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        length -= 3;
      }
      text = Utf8ToUtf16(std::string(reinterpret_cast<const char*>(bytes), length));
      // The converter answers an illegal sequence with an empty text.
      if (text.empty() && length != 0) return Fail(L"Invalid UTF-8 text");
      break;
    }
    case MarkupEncoding::kUtf16: {
      if (length < 2) return Fail(L"UTF-16 text without byte-order mark");
      const bool little_endian = bytes[0] == 0xFF && bytes[1] == 0xFE;
      const bool big_endian = bytes[0] == 0xFE && bytes[1] == 0xFF;
      if (!little_endian && !big_endian) return Fail(L"UTF-16 text without byte-order mark");
      // A trailing odd byte is dropped.
      const size_t units = (length - 2) / 2;
      text.resize(units);
      for (size_t i = 0; i < units; ++i) {
        const uint8_t first = bytes[2 + 2 * i];
        const uint8_t second = bytes[3 + 2 * i];
        text[i] = static_cast<wchar_t>(little_endian ? first | (second << 8)
                                                     : second | (first << 8));
      }
      break;
    }
    case MarkupEncoding::kAnsi:
      if (!AnsiToUtf16(bytes, length, text)) return Fail(L"Invalid ANSI text");
      break;
    default:
      return Fail(L"Unknown text encoding");
  }
  return ParseDecodedText(std::move(text));
}

MarkupNode MarkupDocument::RootNode() const {
  if (elements_.size() < 2) return MarkupNode();
  return MarkupNode(this, 1);
}

void MarkupDocument::Release() {
  ++generation_;
  std::wstring().swap(text_);
  std::vector<ElementRecord>().swap(elements_);
}

bool MarkupDocument::ParseDecodedText(std::wstring text) {
  Release();
  error_message_.clear();
  error_location_.clear();
  if (text.size() > kMaxTextLength) return Fail(L"Text too large");
  text_ = std::move(text);
  text_.push_back(0);
  elements_.push_back(ElementRecord());  // record 0: the document
  return ParseElements();
}

// One pass over the text with an explicit stack of open elements, so that deeply nested
// hostile input cannot exhaust the thread's stack. Each open element is a level whose
// content is being read; the document is the level below the first one.
bool MarkupDocument::ParseElements() {
  struct OpenElement {
    uint32_t index;
    size_t name_end;
    size_t data_end;           // where its decoded character data ends
    uint32_t last_child = 0;   // previous sibling for the next child
  };
  std::vector<OpenElement> open;
  uint32_t last_top = 0;
  size_t pos = 0;

  const auto level_parent = [&]() -> uint32_t { return open.empty() ? 0 : open.back().index; };
  // Text that ends inside the first element, or at the top, is accepted: every element
  // still open is terminated where it stands.
  const auto finish = [&]() {
    for (const OpenElement& element : open) {
      text_[element.data_end] = 0;
      text_[element.name_end] = 0;
    }
    return true;
  };

  for (;;) {
    if (text_[pos] == 0) {
      if (level_parent() <= 1) return finish();
      return FailAt(L"Expected start tag", pos);
    }
    SkipWhitespace(text_, pos);
    if (text_[pos] != L'<') return FailAt(L"Expected start tag", pos);

    if (text_[pos + 1] == L'/') {
      // The end tag of the element whose content this level is.
      if (open.empty()) return FailAt(L"Unmatched closing tag", pos);
      const OpenElement element = open.back();
      open.pop_back();
      text_[element.data_end] = 0;
      pos += 2;
      SkipWhitespace(text_, pos);
      const size_t name_pos = elements_[element.index].name;
      const size_t name_length = element.name_end - name_pos;
      for (size_t i = 0; i < name_length; ++i) {
        if (text_[pos + i] != text_[name_pos + i]) return FailAt(L"Unmatched closing tag", pos);
      }
      pos += name_length;
      SkipWhitespace(text_, pos);
      if (text_[pos] != L'>') {
        return FailAt(L"Unmatched closing tag", text_[pos] == 0 ? pos : pos + 1);
      }
      ++pos;
      text_[element.name_end] = 0;
      SkipWhitespace(text_, pos);
      continue;
    }

    ++pos;
    SkipWhitespace(text_, pos);
    if (text_[pos] == L'!') {
      SkipPast(text_, pos, L'-', L'>');  // comments, and any other declaration
      SkipWhitespace(text_, pos);
      continue;
    }
    if (text_[pos] == L'?') {
      SkipPast(text_, pos, L'?', L'>');
      SkipWhitespace(text_, pos);
      continue;
    }

    const uint32_t parent = level_parent();
    const uint32_t index = AppendElement(pos, parent);
    uint32_t& previous = open.empty() ? last_top : open.back().last_child;
    if (previous != 0) {
      elements_[previous].next_sibling = index;
    } else if (parent != 0) {
      elements_[parent].first_child = index;
    }
    previous = index;

    const size_t name_start = pos;
    SkipName(text_, pos);
    const size_t name_end = pos;
    if (text_[pos] == 0 || name_end == name_start) {
      return FailAt(L"Error parsing element name", pos);
    }
    if (!ParseAttributes(pos)) return false;
    SkipWhitespace(text_, pos);

    if (text_[pos] == L'/' && text_[pos + 1] == L'>') {
      elements_[index].data = static_cast<uint32_t>(pos);
      text_[pos] = 0;  // its character data is empty
      text_[name_end] = 0;
      pos += 2;
      SkipWhitespace(text_, pos);
      continue;
    }
    if (text_[pos] != L'>') return FailAt(L"Expected start-tag closing", pos);

    ++pos;
    elements_[index].data = static_cast<uint32_t>(pos);
    size_t data_end = pos;
    ParseCharacterData(pos, data_end, L'<');
    if (text_[pos] == 0) {
      if (parent > 1) return FailAt(L"Expected end-tag start", pos);
      text_[data_end] = 0;
      text_[name_end] = 0;
      return finish();
    }
    open.push_back(OpenElement{index, name_end, data_end});
  }
}

bool MarkupDocument::ParseAttributes(size_t& pos) {
  for (;;) {
    SkipWhitespace(text_, pos);
    const wchar_t c = text_[pos];
    if (c == L'>' || c == L'/' || c == 0) return true;
    const size_t name_start = pos;
    SkipName(text_, pos);
    const size_t name_end = pos;
    if (name_end == name_start) return FailAt(L"Error while parsing attributes", pos);
    SkipWhitespace(text_, pos);
    if (text_[pos] != L'=') return FailAt(L"Error while parsing attributes", pos);
    ++pos;
    SkipWhitespace(text_, pos);
    if (text_[pos] != L'"') return FailAt(L"Expected attribute value", pos);
    ++pos;
    size_t dest = pos;
    ParseCharacterData(pos, dest, L'"');
    if (text_[pos] == 0) return FailAt(L"Error while parsing attribute string", pos);
    // Zeros from the decoded value's end through the closing quote: the value is
    // terminated and the attribute map steps over the gap as whitespace.
    for (size_t i = dest; i <= pos; ++i) text_[i] = 0;
    text_[name_end] = 0;
    ++pos;
  }
}

void MarkupDocument::ParseCharacterData(size_t& pos, size_t& dest, wchar_t end) {
  while (text_[pos] != 0 && text_[pos] != end) {
    if (text_[pos] == L'&') {
      if (const Entity* entity = EntityAt(text_, pos)) {
        text_[dest++] = entity->character;
        pos += 1 + entity->length;
        continue;
      }
    }
    text_[dest++] = text_[pos++];
  }
}

uint32_t MarkupDocument::AppendElement(size_t name_pos, uint32_t parent) {
  if (elements_.size() == elements_.capacity()) {
    const size_t capacity = elements_.capacity();
    elements_.reserve(capacity + capacity / 2 + 500);
  }
  ElementRecord record;
  record.name = static_cast<uint32_t>(name_pos);
  record.parent = parent;
  elements_.push_back(record);
  return static_cast<uint32_t>(elements_.size() - 1);
}

bool MarkupDocument::Fail(const wchar_t* message) {
  Release();
  error_message_.assign(message);
  if (error_message_.size() > kMaxMessage) error_message_.resize(kMaxMessage);
  error_location_.clear();
  return false;
}

bool MarkupDocument::FailAt(const wchar_t* message, size_t pos) {
  std::wstring location;
  for (size_t i = pos; i < text_.size() && text_[i] != 0 && location.size() < kMaxLocation; ++i) {
    location.push_back(text_[i]);
  }
  Fail(message);
  error_location_ = std::move(location);
  return false;
}

}  // namespace ui
