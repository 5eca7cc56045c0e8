#include "ui/core/markup_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ui/core/global_resources.h"

namespace ui {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// Every element of the tree, depth first, as "name" lines indented by depth.
void Outline(const MarkupNode& first, int depth, std::wstring& out) {
  for (MarkupNode node = first; node.IsValid(); node = node.NextSibling()) {
    out += std::wstring(static_cast<size_t>(depth) * 2, L' ') + node.Name() + L"\n";
    Outline(node.FirstChild(), depth + 1, out);
  }
}

std::wstring Outline(const MarkupDocument& document) {
  std::wstring out;
  Outline(document.RootNode(), 0, out);
  return out;
}

TEST(MarkupDocumentTest, LinksElementsByFirstChildAndNextSibling) {
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(
      L"<Window size=\"640,360\">\r\n"
      L"  <Box>\r\n"
      L"    <Label name=\"a\"/>\r\n"
      L"    <HBox><Button/><Button /></HBox>\r\n"
      L"  </Box>\r\n"
      L"</Window>\r\n"));
  EXPECT_EQ(Outline(document),
            L"Window\n  Box\n    Label\n    HBox\n      Button\n      Button\n");
  MarkupDocument top_level;
  ASSERT_TRUE(top_level.ParseText(L"<a><b/></a><c/>"));
  EXPECT_EQ(Outline(top_level), L"a\n  b\nc\n");
  const MarkupNode root = document.RootNode();
  EXPECT_TRUE(root.HasChildren());
  EXPECT_FALSE(root.NextSibling().IsValid());
  const MarkupNode label = root.FirstChild().FirstChild();
  EXPECT_FALSE(label.HasChildren());
  EXPECT_STREQ(label.NextSibling().Name(), L"HBox");
  EXPECT_TRUE(document.ErrorMessage().empty());
}

TEST(MarkupDocumentTest, EmptyElementTagWithOrWithoutSpaceBeforeTheSlash) {
  for (const wchar_t* text : {L"<r><a/><b/></r>", L"<r><a /><b   /></r>"}) {
    SCOPED_TRACE(text);
    MarkupDocument document;
    ASSERT_TRUE(document.ParseText(text));
    EXPECT_EQ(Outline(document), L"r\n  a\n  b\n");
    const MarkupNode a = document.RootNode().FirstChild();
    EXPECT_STREQ(a.Name(), L"a");
    EXPECT_FALSE(a.HasChildren());
    EXPECT_FALSE(a.HasAttributes());
  }
}

TEST(MarkupDocumentTest, DecodesTheFiveEntitiesAndNothingElse) {
  struct Case {
    const wchar_t* written;
    const wchar_t* decoded;
  };
  const Case cases[] = {
      {L"&lt;b&gt;", L"<b>"},
      {L"a &amp; b", L"a & b"},
      {L"&quot;q&quot; &apos;s&apos;", L"\"q\" 's'"},
      {L"&amp;lt;", L"&lt;"},               // decoded once
      {L"&nbsp;&copy;", L"&nbsp;&copy;"},   // other named entities stay
      {L"&#60;&#x3C;", L"&#60;&#x3C;"},     // so do character references
      {L"a&b & c&", L"a&b & c&"},
      {L"&lt", L"&lt"},                     // no semicolon, no entity
      {L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    MarkupDocument document;
    ASSERT_TRUE(document.ParseText(std::wstring(L"<a v=\"") + c.written + L"\" w=\"next\"/>"));
    const MarkupNode a = document.RootNode();
    ASSERT_EQ(a.AttributeCount(), 2);
    EXPECT_STREQ(a.AttributeValue(0), c.decoded);
    EXPECT_STREQ(a.AttributeValue(1), L"next");
  }
}

TEST(MarkupDocumentTest, SkipsCommentsAndDeclarationsBetweenElements) {
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(
      L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      L"<!-- the window -->\r\n"
      L"<r>\r\n  <!-- <x/> is not an element here -->\r\n  <a/>\r\n  <?pi data?>\r\n  <b/>\r\n"
      L"</r>\r\n<!-- trailing -->"));
  EXPECT_EQ(Outline(document), L"r\n  a\n  b\n");
}

TEST(MarkupDocumentTest, CommentEndsAtTheFirstHyphenFollowedByGreaterThan) {
  MarkupDocument document;
  EXPECT_FALSE(document.ParseText(L"<r><!-- a -> b --><a/></r>"));
  EXPECT_EQ(document.ErrorMessage(), L"Expected start tag");
  EXPECT_EQ(document.ErrorLocation(), L"b --><a/></r>");
}

TEST(MarkupDocumentTest, TextEndingInsideTheFirstElementStillLoads) {
  const wchar_t* const texts[] = {
      L"<root><a x=\"1\"/>",
      L"<root><a x=\"1\">text",       // an element of the first one, unclosed
      L"<root><a x=\"1\">",
  };
  for (const wchar_t* text : texts) {
    SCOPED_TRACE(text);
    MarkupDocument document;
    ASSERT_TRUE(document.ParseText(text));
    const MarkupNode root = document.RootNode();
    EXPECT_STREQ(root.Name(), L"root");
    const MarkupNode a = root.FirstChild();
    EXPECT_STREQ(a.Name(), L"a");
    EXPECT_STREQ(a.AttributeValue(0), L"1");
  }
}

TEST(MarkupDocumentTest, ReportsEachParseErrorWithItsLocation) {
  struct Case {
    const wchar_t* text;
    const wchar_t* message;
    const wchar_t* location;
  };
  const Case cases[] = {
      {L"text", L"Expected start tag", L"text"},
      {L"   ", L"Expected start tag", L""},
      {L"<r><a><b>text", L"Expected end-tag start", L""},
      {L"<r><a><b/>", L"Expected start tag", L""},
      {L"<r><a> x <b/> y</a></r>", L"Expected start tag", L"y</a></r>"},
      {L"<a", L"Error parsing element name", L""},
      {L"< >", L"Error parsing element name", L">"},
      {L"<a b='1'/>", L"Expected attribute value", L"'1'/>"},
      {L"<a b=1/>", L"Expected attribute value", L"1/>"},
      {L"<a b/>", L"Error while parsing attributes", L"/>"},
      {L"<a b c=\"1\"/>", L"Error while parsing attributes", L"c=\"1\"/>"},
      {L"<a $=\"1\"/>", L"Error while parsing attributes", L"$=\"1\"/>"},
      {L"<a b=\"1", L"Error while parsing attribute string", L""},
      {L"<a b=\"1\"", L"Expected start-tag closing", L""},
      {L"<a b=\"1\" / >", L"Expected start-tag closing", L"/ >"},
      {L"<a></b>", L"Unmatched closing tag", L"b>"},
      {L"<a></ab>", L"Unmatched closing tag", L">"},
      {L"<a></a x>", L"Unmatched closing tag", L">"},
      {L"<a></a", L"Unmatched closing tag", L""},
      {L"</a>", L"Unmatched closing tag", L"</a>"},
      {L"<a/></a>", L"Unmatched closing tag", L"</a>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    MarkupDocument document;
    EXPECT_FALSE(document.ParseText(c.text));
    EXPECT_EQ(document.ErrorMessage(), c.message);
    EXPECT_EQ(document.ErrorLocation(), c.location);
    EXPECT_FALSE(document.RootNode().IsValid());
  }
}

TEST(MarkupDocumentTest, LocationIsCutAtFortyNineCharacters) {
  MarkupDocument document;
  const std::wstring tail(100, L'x');
  EXPECT_FALSE(document.ParseText(L"<a></b" + tail + L">"));
  EXPECT_EQ(document.ErrorLocation(), L"b" + std::wstring(48, L'x'));
}

TEST(MarkupDocumentTest, EndTagMayCarryWhitespace) {
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(L"< r ><a></ a ></r\r\n>"));
  EXPECT_EQ(Outline(document), L"r\n  a\n");
}

TEST(MarkupDocumentTest, EmptyTextHasNoRoot) {
  MarkupDocument document;
  EXPECT_TRUE(document.ParseText(L""));
  EXPECT_FALSE(document.RootNode().IsValid());
}

TEST(MarkupDocumentTest, AFailedLoadReleasesThePreviousDocument) {
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(L"<a x=\"1\"/>"));
  const MarkupNode old_root = document.RootNode();
  ASSERT_STREQ(old_root.AttributeValue(0), L"1");
  EXPECT_FALSE(document.ParseText(L"<a x='1'/>"));
  EXPECT_FALSE(document.RootNode().IsValid());
  EXPECT_FALSE(old_root.IsValid());
  EXPECT_STREQ(old_root.Name(), L"");
  EXPECT_STREQ(old_root.AttributeValue(0), L"");
  // A new load starts with clean error texts.
  ASSERT_TRUE(document.ParseText(L"<b/>"));
  EXPECT_TRUE(document.ErrorMessage().empty());
  EXPECT_TRUE(document.ErrorLocation().empty());
  EXPECT_FALSE(old_root.IsValid());
  EXPECT_STREQ(document.RootNode().Name(), L"b");
}

TEST(MarkupDocumentTest, TableGrowsThroughManySiblings) {
  std::wstring text = L"<r>";
  const int count = 5000;  // crosses several growth steps of the element table
  for (int i = 0; i < count; ++i) text += L"<e" + std::to_wstring(i) + L" i=\"" + std::to_wstring(i) + L"\"/>";
  text += L"</r>";
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(text));
  int seen = 0;
  for (MarkupNode node = document.RootNode().FirstChild(); node.IsValid();
       node = node.NextSibling(), ++seen) {
    ASSERT_EQ(node.Name(), L"e" + std::to_wstring(seen));
    ASSERT_EQ(node.AttributeValue(0), std::to_wstring(seen));
  }
  EXPECT_EQ(seen, count);
}

TEST(MarkupDocumentTest, DeepNestingNeitherOverflowsNorLosesElements) {
  const int depth = 200000;
  std::wstring text;
  for (int i = 0; i < depth; ++i) text += L"<a>";
  for (int i = 0; i < depth; ++i) text += L"</a>";
  MarkupDocument document;
  ASSERT_TRUE(document.ParseText(text));
  int levels = 0;
  for (MarkupNode node = document.RootNode(); node.IsValid(); node = node.FirstChild()) {
    ASSERT_STREQ(node.Name(), L"a");
    ++levels;
  }
  EXPECT_EQ(levels, depth);

  // The same nesting cut off in the middle fails cleanly.
  text.resize(text.size() / 2 + 2);
  EXPECT_FALSE(document.ParseText(text));
  EXPECT_EQ(document.ErrorMessage(), L"Unmatched closing tag");
}

TEST(MarkupDocumentTest, Utf8WithOrWithoutByteOrderMarkParsesTheSame) {
  const std::string body = "<r t=\"\xE4\xB8\xAD\xC3\xA9\"><a/></r>";
  for (const std::string& bytes : {body, "\xEF\xBB\xBF" + body}) {
    MarkupDocument document;
    const std::vector<uint8_t> data = Bytes(bytes);
    ASSERT_TRUE(document.ParseBytes(data.data(), data.size(), MarkupEncoding::kUtf8));
    EXPECT_EQ(Outline(document), L"r\n  a\n");
    EXPECT_EQ(std::wstring(document.RootNode().AttributeValue(0)), (std::wstring{0x4E2D, 0x00E9}));
  }
}

TEST(MarkupDocumentTest, Utf16NeedsAByteOrderMarkAndTakesBothByteOrders) {
  const std::wstring text = {L'<', L'r', L' ', L'v', L'=', L'"', 0x4E2D, L'"', L'/', L'>'};
  std::vector<uint8_t> little = {0xFF, 0xFE};
  std::vector<uint8_t> big = {0xFE, 0xFF};
  std::vector<uint8_t> bare;
  for (wchar_t c : text) {
    const uint8_t low = static_cast<uint8_t>(c & 0xFF);
    const uint8_t high = static_cast<uint8_t>((c >> 8) & 0xFF);
    little.insert(little.end(), {low, high});
    big.insert(big.end(), {high, low});
    bare.insert(bare.end(), {low, high});
  }
  little.push_back(0x41);  // a trailing odd byte is dropped
  for (const std::vector<uint8_t>& data : {little, big}) {
    MarkupDocument document;
    ASSERT_TRUE(document.ParseBytes(data.data(), data.size(), MarkupEncoding::kUtf16));
    EXPECT_STREQ(document.RootNode().Name(), L"r");
    EXPECT_EQ(document.RootNode().AttributeValue(0), std::wstring(1, wchar_t(0x4E2D)));
  }
  MarkupDocument document;
  EXPECT_FALSE(document.ParseBytes(bare.data(), bare.size(), MarkupEncoding::kUtf16));
  EXPECT_EQ(document.ErrorMessage(), L"UTF-16 text without byte-order mark");
  EXPECT_TRUE(document.ErrorLocation().empty());
  const uint8_t one = 0xFF;
  EXPECT_FALSE(document.ParseBytes(&one, 1, MarkupEncoding::kUtf16));
}

TEST(MarkupDocumentTest, RefusesInvalidUtf8InsteadOfLoadingNothing) {
  const std::vector<uint8_t> data = Bytes("<r v=\"\xC3\x28\"/>");
  MarkupDocument document;
  EXPECT_FALSE(document.ParseBytes(data.data(), data.size(), MarkupEncoding::kUtf8));
  EXPECT_EQ(document.ErrorMessage(), L"Invalid UTF-8 text");
  EXPECT_FALSE(document.RootNode().IsValid());
}

TEST(MarkupDocumentTest, AnsiTextInTheSystemCodePage) {
  const std::vector<uint8_t> data = Bytes("<r v=\"plain\"><a/></r>");
  MarkupDocument document;
  ASSERT_TRUE(document.ParseBytes(data.data(), data.size(), MarkupEncoding::kAnsi));
  EXPECT_EQ(Outline(document), L"r\n  a\n");
  EXPECT_STREQ(document.RootNode().AttributeValue(0), L"plain");
}

// Every prefix of a well-formed document either loads or fails with one of the parser's
// messages; the sanitizers watch every read.
TEST(MarkupDocumentTest, EveryTruncationFailsCleanlyOrLoads) {
  const std::wstring full =
      L"<?xml version=\"1.0\"?><!-- c --><Window a=\"1&amp;2\" b = \"&lt;\">"
      L"<Box><Label text=\"x\" /><Button class=\"btn\"></Button></Box></Window>";
  const std::vector<std::wstring> messages = {
      L"Expected start tag", L"Error parsing element name", L"Expected start-tag closing",
      L"Expected end-tag start", L"Unmatched closing tag", L"Error while parsing attributes",
      L"Expected attribute value", L"Error while parsing attribute string"};
  for (size_t length = 0; length <= full.size(); ++length) {
    MarkupDocument document;
    const std::wstring text = full.substr(0, length);
    if (document.ParseText(text)) {
      std::wstring outline = Outline(document);
      for (MarkupNode n = document.RootNode(); n.IsValid(); n = n.FirstChild()) {
        for (int i = 0; i < n.AttributeCount(); ++i) outline += n.AttributeValue(i);
      }
    } else {
      EXPECT_NE(std::find(messages.begin(), messages.end(), document.ErrorMessage()),
                messages.end())
          << "length " << length;
      EXPECT_LE(document.ErrorLocation().size(), 49u);
    }
  }
}

// Random text over the characters that matter to the parser. Whatever it is, the parse
// ends, and a loaded tree can be walked and read completely.
TEST(MarkupDocumentTest, RandomMarkupNeverReadsOutOfBounds) {
  const wchar_t alphabet[] = L"<>/=\"'!?-& ;ampltgquoa:_1 \r\n\t";
  const size_t letters = sizeof(alphabet) / sizeof(alphabet[0]) - 1;
  uint32_t state = 12345;
  const auto next = [&state]() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  const std::wstring valid =
      L"<r a=\"1\" b=\"&lt;&quot;\"><c d=\"x\"/><!-- n --><e f=\"&amp;\">t</e></r>";
  for (int round = 0; round < 6000; ++round) {
    std::wstring text;
    if (round % 2 == 0) {
      const size_t length = next() % 80;
      for (size_t i = 0; i < length; ++i) text += alphabet[next() % letters];
    } else {
      // A few random edits of a valid document, so that many inputs still load.
      text = valid;
      for (uint32_t edits = 1 + next() % 3; edits > 0; --edits) {
        const size_t at = next() % (text.size() + 1);
        switch (next() % 3) {
          case 0: text.insert(at, 1, alphabet[next() % letters]); break;
          case 1: if (at < text.size()) text.erase(at, 1); break;
          default: if (at < text.size()) text[at] = alphabet[next() % letters]; break;
        }
      }
    }
    MarkupDocument document;
    if (!document.ParseText(text)) {
      EXPECT_FALSE(document.ErrorMessage().empty());
      continue;
    }
    std::vector<MarkupNode> pending = {document.RootNode()};
    size_t total = 0;
    while (!pending.empty()) {
      MarkupNode node = pending.back();
      pending.pop_back();
      for (; node.IsValid(); node = node.NextSibling()) {
        total += std::wstring(node.Name()).size();
        for (int i = 0; i < node.AttributeCount(); ++i) {
          total += std::wstring(node.AttributeName(i)).size();
          total += std::wstring(node.AttributeValue(i)).size();
        }
        pending.push_back(node.FirstChild());
      }
    }
    EXPECT_LE(total, text.size());
  }
}

class MarkupDocumentFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("markup_document_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(folder_);
    saved_folder_ = GlobalResources::ResourceFolder();
  }
  void TearDown() override {
    GlobalResources::SetResourceFolder(saved_folder_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::wstring Write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.wstring();
  }

  std::filesystem::path folder_;
  std::wstring saved_folder_;
};

TEST_F(MarkupDocumentFileTest, ReadsAbsoluteAndResourceRelativePaths) {
  const std::wstring path = Write("form.xml", "\xEF\xBB\xBF<Window><Box/></Window>");
  MarkupDocument document;
  ASSERT_TRUE(document.ParseFile(path, MarkupEncoding::kUtf8));
  EXPECT_EQ(Outline(document), L"Window\n  Box\n");

  GlobalResources::SetResourceFolder(folder_.wstring() + std::wstring(1, std::filesystem::path::preferred_separator));
  MarkupDocument relative;
  ASSERT_TRUE(relative.ParseFile(L"form.xml", MarkupEncoding::kUtf8));
  EXPECT_EQ(Outline(relative), L"Window\n  Box\n");
}

TEST_F(MarkupDocumentFileTest, RefusesMissingEmptyAndOversizedFiles) {
  const size_t limit = 4 * 1024 * 1024;
  struct Case {
    std::string name;
    std::string bytes;
    bool create;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"missing.xml", "", false, L"Error opening file"},
      {"empty.xml", "", true, L"File is empty"},
      {"large.xml", "<r/>" + std::string(limit - 3, ' '), true, L"File too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = c.create ? Write(c.name, c.bytes) : (folder_ / c.name).wstring();
    MarkupDocument document;
    ASSERT_TRUE(document.ParseText(L"<old/>"));
    EXPECT_FALSE(document.ParseFile(path, MarkupEncoding::kUtf8));
    EXPECT_EQ(document.ErrorMessage(), c.message);
    EXPECT_TRUE(document.ErrorLocation().empty());
    EXPECT_FALSE(document.RootNode().IsValid());
  }
  // Exactly the limit is accepted.
  MarkupDocument document;
  EXPECT_TRUE(document.ParseFile(Write("limit.xml", "<r/>" + std::string(limit - 4, ' ')),
                                 MarkupEncoding::kUtf8));
  EXPECT_STREQ(document.RootNode().Name(), L"r");
}

}  // namespace
}  // namespace ui
