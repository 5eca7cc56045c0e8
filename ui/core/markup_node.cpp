#include "ui/core/markup_node.h"

#include <cwchar>

#include "ui/core/markup_document.h"

namespace ui {

namespace {

const wchar_t kEmpty[] = L"";

}  // namespace

MarkupNode::MarkupNode(const MarkupDocument* document, uint32_t index)
    : document_(document), index_(index), generation_(document->generation_) {}

bool MarkupNode::IsValid() const {
  return document_ != nullptr && generation_ == document_->generation_;
}

const wchar_t* MarkupNode::Name() const {
  if (!IsValid()) return kEmpty;
  return document_->TextAt(document_->elements_[index_].name);
}

MarkupNode MarkupNode::FirstChild() const {
  if (!IsValid()) return MarkupNode();
  const uint32_t child = document_->elements_[index_].first_child;
  return child == 0 ? MarkupNode() : MarkupNode(document_, child);
}

bool MarkupNode::HasChildren() const {
  return IsValid() && document_->elements_[index_].first_child != 0;
}

MarkupNode MarkupNode::NextSibling() const {
  if (!IsValid()) return MarkupNode();
  const uint32_t sibling = document_->elements_[index_].next_sibling;
  return sibling == 0 ? MarkupNode() : MarkupNode(document_, sibling);
}

int MarkupNode::AttributeCount() const {
  if (!IsValid()) return 0;
  MapAttributes();
  return attribute_count_;
}

const wchar_t* MarkupNode::AttributeName(int index) const {
  if (index < 0 || index >= AttributeCount()) return kEmpty;
  return document_->TextAt(attributes_[index].name);
}

const wchar_t* MarkupNode::AttributeValue(int index) const {
  if (index < 0 || index >= AttributeCount()) return kEmpty;
  return document_->TextAt(attributes_[index].value);
}

bool MarkupNode::AttributeValue(const wchar_t* name, wchar_t* buffer, size_t buffer_size) const {
  if (name == nullptr || buffer == nullptr || buffer_size == 0) return false;
  const int count = AttributeCount();
  for (int i = 0; i < count; ++i) {
    if (std::wcscmp(document_->TextAt(attributes_[i].name), name) != 0) continue;
    const wchar_t* value = document_->TextAt(attributes_[i].value);
    size_t n = 0;
    while (n + 1 < buffer_size && value[n] != 0) {
      buffer[n] = value[n];
      ++n;
    }
    buffer[n] = 0;
    return true;
  }
  return false;
}

// Walks the element's tag from the end of its name to its data position. Parsing left
// every attribute name and value zero-terminated and turned the rest of each value's
// span (through its closing quote) into zeros, so the walk only has to find a name, the
// opening quote after it, and the value's terminator.
void MarkupNode::MapAttributes() const {
  if (attribute_count_ >= 0) return;
  attribute_count_ = 0;
  const std::wstring& text = document_->text_;
  const auto& record = document_->elements_[index_];
  const size_t limit = record.data;
  size_t pos = record.name + std::wcslen(text.c_str() + record.name);
  while (attribute_count_ < kMaxAttributes) {
    while (pos < limit && text[pos] <= 32) ++pos;
    if (pos >= limit || text[pos] == L'>' || text[pos] == L'/') break;
    const size_t name = pos;
    pos += std::wcslen(text.c_str() + name);
    while (pos < limit && text[pos] != L'"') ++pos;
    if (pos >= limit) break;
    const size_t value = pos + 1;
    pos = value + std::wcslen(text.c_str() + value);
    attributes_[attribute_count_].name = static_cast<uint32_t>(name);
    attributes_[attribute_count_].value = static_cast<uint32_t>(value);
    ++attribute_count_;
  }
}

}  // namespace ui
