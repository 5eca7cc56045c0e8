// A markup document: the framework's small XML dialect read into one buffer.
//
// Parsing runs once over the decoded UTF-16 text and works inside it: element and
// attribute names and values are terminated and entity references decoded in place, so
// every text a node hands out points into the document and stays valid until the document
// is reloaded or destroyed. Elements are kept as records in one growable table (record 0
// stands for the document itself); nodes walk them by first-child/next-sibling links.
//
// The dialect: no DTD, no namespaces, no CDATA, attribute values in double quotes only,
// the five named entities, comments and declarations skipped, whitespace kept as written.
//
// Not thread-safe; a document and its nodes belong to the thread that parsed it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/core/markup_node.h"

namespace ui {

enum class MarkupEncoding { kUtf8 = 0, kUtf16 = 1, kAnsi = 2 };

class MarkupDocument {
 public:
  MarkupDocument() = default;
  // Nodes keep a pointer to their document.
  MarkupDocument(const MarkupDocument&) = delete;
  MarkupDocument& operator=(const MarkupDocument&) = delete;

  // Copies `text` and parses it.
  bool ParseText(const std::wstring& text);

  // A relative path is taken under the framework's resource folder, an absolute one as
  // it is. Files of 0 bytes or of more than 4 MiB are refused.
  bool ParseFile(const std::wstring& path, MarkupEncoding encoding);

  // UTF-8 with or without its byte-order mark; UTF-16 only with a byte-order mark (either
  // byte order); ANSI in the system code page.
  bool ParseBytes(const uint8_t* bytes, size_t length, MarkupEncoding encoding);

  // The first element of the document; invalid when there is none.
  MarkupNode RootNode() const;

  // The last failure: a message (at most 99 characters) and up to 49 characters of the
  // text where parsing stopped (empty for file and decoding failures).
  const std::wstring& ErrorMessage() const { return error_message_; }
  const std::wstring& ErrorLocation() const { return error_location_; }

  // Drops the text and the element table; nodes of this document become unusable.
  void Release();

 private:
  friend class MarkupNode;

  // Positions count characters from the start of the text.
  struct ElementRecord {
    uint32_t name = 0;
    uint32_t first_child = 0;
    uint32_t next_sibling = 0;
    uint32_t parent = 0;
    uint32_t data = 0;  // character data; for an empty-element tag, its "/"
  };

  bool ParseDecodedText(std::wstring text);
  bool ParseElements();
  bool ParseAttributes(size_t& pos);
  void ParseCharacterData(size_t& pos, size_t& dest, wchar_t end);
  uint32_t AppendElement(size_t name_pos, uint32_t parent);

  bool Fail(const wchar_t* message);
  bool FailAt(const wchar_t* message, size_t pos);

  const wchar_t* TextAt(uint32_t pos) const { return text_.data() + pos; }

  std::wstring text_;  // always ends with a zero character while loaded
  std::vector<ElementRecord> elements_;
  std::wstring error_message_;
  std::wstring error_location_;
  uint32_t generation_ = 0;  // counts releases, so that older nodes know they are stale
};

}  // namespace ui
