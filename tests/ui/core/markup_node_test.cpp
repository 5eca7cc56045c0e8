#include "ui/core/markup_node.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/core/markup_document.h"

namespace ui {
namespace {

TEST(MarkupNodeTest, InvalidNodeAnswersEmpty) {
  const MarkupNode node;
  EXPECT_FALSE(node.IsValid());
  EXPECT_STREQ(node.Name(), L"");
  EXPECT_FALSE(node.FirstChild().IsValid());
  EXPECT_FALSE(node.NextSibling().IsValid());
  EXPECT_FALSE(node.HasChildren());
  EXPECT_EQ(node.AttributeCount(), 0);
  EXPECT_FALSE(node.HasAttributes());
  EXPECT_STREQ(node.AttributeName(0), L"");
  wchar_t buffer[8] = L"keep";
  EXPECT_FALSE(node.AttributeValue(L"x", buffer, 8));
  EXPECT_STREQ(buffer, L"keep");
}

TEST(MarkupNodeTest, MapsAttributesInDocumentOrderWhateverTheSpacing) {
  struct Case {
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"<a x=\"1\" y=\"two\" z=\"\"/>"},
      {L"<a x = \"1\"\r\n\ty=\"two\"   z=\"\" />"},
      {L"<a x=\"1\"y=\"two\"z=\"\"></a>"},
      {L"<a\tx=\"1\" y=\"two\" z=\"\">text</a>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    MarkupDocument document;
    ASSERT_TRUE(document.ParseText(c.text));
    const MarkupNode a = document.RootNode();
    EXPECT_STREQ(a.Name(), L"a");
    ASSERT_EQ(a.AttributeCount(), 3);
    EXPECT_TRUE(a.HasAttributes());
    EXPECT_STREQ(a.AttributeName(0), L"x");
    EXPECT_STREQ(a.AttributeValue(0), L"1");
    EXPECT_STREQ(a.AttributeName(1), L"y");
    EXPECT_STREQ(a.AttributeValue(1), L"two");
    EXPECT_STREQ(a.AttributeName(2), L"z");
    EXPECT_STREQ(a.AttributeValue(2), L"");
    EXPECT_STREQ(a.AttributeName(3), L"");
    EXPECT_STREQ(a.AttributeValue(-1), L"");
  }
}

// Decoding shortens a value in place; the characters it produces (quotes, slashes,
// angle brackets) must not confuse the map of the attributes after it.
TEST(MarkupNodeTest, DecodedValuesDoNotDisturbTheAttributesAfterThem) {
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(
      L"<a p=\"&quot;/&gt;\" q=\"&lt;&lt;&lt;&lt;\" r=\"x &amp; y=&quot;z&quot;\" s=\"end\"/>"));
  const MarkupNode a = document.RootNode();
  ASSERT_EQ(a.AttributeCount(), 4);
  EXPECT_STREQ(a.AttributeValue(0), L"\"/>");
  EXPECT_STREQ(a.AttributeValue(1), L"<<<<");
  EXPECT_STREQ(a.AttributeValue(2), L"x & y=\"z\"");
  EXPECT_STREQ(a.AttributeName(3), L"s");
  EXPECT_STREQ(a.AttributeValue(3), L"end");
}

TEST(MarkupNodeTest, MapsAtMostSixtyFourAttributes) {
  std::wstring text = L"<a";
  for (int i = 0; i < 70; ++i) text += L" k" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
  text += L"><b/></a>";
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(text));
  const MarkupNode a = document.RootNode();
  ASSERT_EQ(a.AttributeCount(), MarkupNode::kMaxAttributes);
  EXPECT_STREQ(a.AttributeName(63), L"k63");
  EXPECT_STREQ(a.AttributeValue(63), L"63");
  EXPECT_STREQ(a.AttributeName(64), L"");
  wchar_t buffer[8];
  EXPECT_TRUE(a.AttributeValue(L"k63", buffer, 8));
  EXPECT_FALSE(a.AttributeValue(L"k64", buffer, 8));
  EXPECT_STREQ(a.FirstChild().Name(), L"b");
}

TEST(MarkupNodeTest, DuplicateNamesLookupFindsTheFirstIterationSeesBoth) {
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(L"<a font=\"system_12\" font=\"system_underline_12\"/>"));
  const MarkupNode a = document.RootNode();
  ASSERT_EQ(a.AttributeCount(), 2);
  EXPECT_STREQ(a.AttributeValue(0), L"system_12");
  EXPECT_STREQ(a.AttributeValue(1), L"system_underline_12");
  wchar_t buffer[32];
  ASSERT_TRUE(a.AttributeValue(L"font", buffer, 32));
  EXPECT_STREQ(buffer, L"system_12");
}

TEST(MarkupNodeTest, LookupByNameIsExactAndCopiesWithinTheBuffer) {
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(L"<a Name=\"upper\" name=\"abcdef\"/>"));
  const MarkupNode a = document.RootNode();
  struct Case {
    const wchar_t* name;
    size_t size;
    bool found;
    const wchar_t* copied;
  };
  const Case cases[] = {
      {L"name", 32, true, L"abcdef"},
      {L"name", 7, true, L"abcdef"},
      {L"name", 4, true, L"abc"},   // cut, still terminated
      {L"name", 1, true, L""},
      {L"name", 0, false, L"untouched"},
      {L"NAME", 32, false, L"untouched"},
      {L"nam", 32, false, L"untouched"},
      {L"Name", 32, true, L"upper"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    wchar_t buffer[32] = L"untouched";
    EXPECT_EQ(a.AttributeValue(c.name, buffer, c.size), c.found);
    EXPECT_STREQ(buffer, c.copied);
  }
}

}  // namespace
}  // namespace ui
