// The rules of global.xml: its root element "Global" and the Font, TextColor and Class
// elements under it, registered in GlobalResources.
//
//   <Global>
//     <Font id="system_12" name="system" size="12" default="true"/>
//     <TextColor name="white" value="#ffffffff"/>
//     <Class name="btn_start" font="system_bold_14" width="200" height="40"/>
//   </Global>
//
// Fonts are objects of the platform's text drawing, so they are handed to a registrar;
// colours and classes go straight into GlobalResources.
#pragma once

#include <functional>
#include <string>

#include "ui/core/markup_node.h"

namespace ui {

struct FontDeclaration {
  std::wstring id;
  std::wstring name;  // the face; "system" stands for the system's UI face
  int size = 12;
  bool bold = false;
  bool underline = false;
  bool italic = false;
  bool is_default = false;
};

using FontRegistrar = std::function<void(const FontDeclaration&)>;

// Applies the root's attributes, then registers its children in document order: Font
// (through `register_font`), TextColor and Class, each skipped when its name is empty;
// Image and unknown elements are ignored. False, registering nothing, when `root` is not
// a "Global" element.
bool RegisterGlobalMarkup(const MarkupNode& root, const FontRegistrar& register_font);

// A Font element's attributes in document order (a repeated attribute: the later wins);
// the flags are set only by the exact value "true".
FontDeclaration ReadFontDeclaration(const MarkupNode& font);

// A Class element as a class name and an attribute list: "name" gives the name, "value"
// is appended as written (raw list text), "_value" as value="...", every other attribute
// as name="..."; pairs are separated by a space, and leading spaces and control
// characters are removed.
std::wstring StyleClassAttributeList(const MarkupNode& element, std::wstring* name);

}  // namespace ui
