// A handle to one element of a MarkupDocument: the document and the element's index.
// A node without a document, or one whose document was released or reloaded since, is
// invalid and answers every question with "no" or "".
//
// The attribute map (where each attribute's name and value start) is built on the first
// question about attributes; at most 64 attributes are mapped per element. Duplicate
// names are all kept in document order: lookup by name finds the first, iteration by
// index sees every one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ui {

class MarkupDocument;

class MarkupNode {
 public:
  static constexpr int kMaxAttributes = 64;

  MarkupNode() = default;

  bool IsValid() const;
  const wchar_t* Name() const;

  MarkupNode FirstChild() const;
  bool HasChildren() const;
  MarkupNode NextSibling() const;

  int AttributeCount() const;
  bool HasAttributes() const { return AttributeCount() > 0; }
  // An index outside 0..count-1 gives "".
  const wchar_t* AttributeName(int index) const;
  const wchar_t* AttributeValue(int index) const;
  // Copies the value of the first attribute named exactly `name` into `buffer`, at most
  // `buffer_size` characters including the terminating zero (a longer value is cut).
  // False, with `buffer` untouched, when there is no such attribute or no room at all.
  bool AttributeValue(const wchar_t* name, wchar_t* buffer, size_t buffer_size) const;

 private:
  friend class MarkupDocument;

  struct AttributePosition {
    uint32_t name = 0;
    uint32_t value = 0;
  };

  MarkupNode(const MarkupDocument* document, uint32_t index);
  void MapAttributes() const;

  const MarkupDocument* document_ = nullptr;
  uint32_t index_ = 0;
  uint32_t generation_ = 0;  // the document's load this node belongs to
  mutable int attribute_count_ = -1;  // -1 until the map is built
  mutable std::array<AttributePosition, kMaxAttributes> attributes_;
};

}  // namespace ui
