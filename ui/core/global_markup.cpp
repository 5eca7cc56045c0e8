#include "ui/core/global_markup.h"

#include <cwchar>

#include "ui/core/global_resources.h"

namespace ui {

namespace {

bool Is(const wchar_t* text, const wchar_t* expected) { return std::wcscmp(text, expected) == 0; }

bool IsTrue(const wchar_t* value) { return Is(value, L"true"); }

// A decimal number as the C runtime reads it: leading whitespace and a sign, digits up to
// the first other character; 0 when there are none. Values beyond int saturate.
int ReadDecimal(const wchar_t* text) {
  const long value = std::wcstol(text, nullptr, 10);
  if (value > 0x7FFFFFFFL) return 0x7FFFFFFF;
  if (value < -0x7FFFFFFFL - 1) return -0x7FFFFFFF - 1;
  return static_cast<int>(value);
}

void ApplyRootAttributes(const MarkupNode& root) {
  for (int i = 0; i < root.AttributeCount(); ++i) {
    const wchar_t* name = root.AttributeName(i);
    const std::wstring value = root.AttributeValue(i);
    if (Is(name, L"disabledfontcolor")) {
      GlobalResources::SetDefaultDisabledTextColorName(value);
    } else if (Is(name, L"defaultfontcolor")) {
      GlobalResources::SetDefaultTextColorName(value);
    } else if (Is(name, L"linkfontcolor")) {
      GlobalResources::SetLinkColor(GlobalResources::ColorByName(value));
    } else if (Is(name, L"linkhoverfontcolor")) {
      GlobalResources::SetLinkHoverColor(GlobalResources::ColorByName(value));
    } else if (Is(name, L"selectedcolor")) {
      GlobalResources::SetSelectedColor(GlobalResources::ColorByName(value));
    }
  }
}

void RegisterColor(const MarkupNode& element) {
  std::wstring name;
  std::wstring value;
  for (int i = 0; i < element.AttributeCount(); ++i) {
    if (Is(element.AttributeName(i), L"name")) name = element.AttributeValue(i);
    else if (Is(element.AttributeName(i), L"value")) value = element.AttributeValue(i);
  }
  if (!name.empty()) GlobalResources::RegisterColor(name, value);
}

void RegisterClass(const MarkupNode& element) {
  std::wstring name;
  const std::wstring attributes = StyleClassAttributeList(element, &name);
  if (!name.empty()) GlobalResources::RegisterStyleClass(name, attributes);
}

}  // namespace

bool RegisterGlobalMarkup(const MarkupNode& root, const FontRegistrar& register_font) {
  if (!root.IsValid() || !Is(root.Name(), L"Global")) return false;
  ApplyRootAttributes(root);
  for (MarkupNode child = root.FirstChild(); child.IsValid(); child = child.NextSibling()) {
    const wchar_t* tag = child.Name();
    if (Is(tag, L"Font")) {
      const FontDeclaration font = ReadFontDeclaration(child);
      if (!font.name.empty() && register_font) register_font(font);
    } else if (Is(tag, L"TextColor")) {
      RegisterColor(child);
    } else if (Is(tag, L"Class")) {
      RegisterClass(child);
    }
  }
  return true;
}

FontDeclaration ReadFontDeclaration(const MarkupNode& font) {
  FontDeclaration declaration;
  for (int i = 0; i < font.AttributeCount(); ++i) {
    const wchar_t* name = font.AttributeName(i);
    const wchar_t* value = font.AttributeValue(i);
    if (Is(name, L"id")) declaration.id = value;
    else if (Is(name, L"name")) declaration.name = value;
    else if (Is(name, L"size")) declaration.size = ReadDecimal(value);
    else if (Is(name, L"bold")) declaration.bold = IsTrue(value);
    else if (Is(name, L"underline")) declaration.underline = IsTrue(value);
    else if (Is(name, L"italic")) declaration.italic = IsTrue(value);
    else if (Is(name, L"default")) declaration.is_default = IsTrue(value);
  }
  return declaration;
}

std::wstring StyleClassAttributeList(const MarkupNode& element, std::wstring* name) {
  std::wstring list;
  for (int i = 0; i < element.AttributeCount(); ++i) {
    const wchar_t* attribute = element.AttributeName(i);
    const wchar_t* value = element.AttributeValue(i);
    if (Is(attribute, L"name")) {
      if (name) *name = value;
    } else if (Is(attribute, L"value")) {
      list += value;
    } else if (Is(attribute, L"_value")) {
      list += std::wstring(L" value=\"") + value + L"\"";
    } else {
      list += std::wstring(L" ") + attribute + L"=\"" + value + L"\"";
    }
  }
  size_t start = 0;
  while (start < list.size() && (list[start] == L' ' || list[start] < 30)) ++start;
  return list.substr(start);
}

}  // namespace ui
