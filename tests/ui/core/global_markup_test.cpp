#include "ui/core/global_markup.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "installer/utils/string_util.h"
#include "ui/core/global_resources.h"
#include "ui/core/markup_document.h"

namespace ui {
namespace {

// Fonts are platform objects; these tests look only at what the markup declares.
struct FontRecorder {
  std::vector<FontDeclaration> fonts;
  FontRegistrar Get() {
    return [this](const FontDeclaration& font) { fonts.push_back(font); };
  }
};

MarkupNode Parse(MarkupDocument& document, const std::wstring& text) {
  EXPECT_TRUE(document.ParseText(text)) << Utf16ToUtf8(document.ErrorMessage());
  return document.RootNode();
}

TEST(GlobalMarkupTest, ClassListTakesEveryAttributeButTheNameInOrder) {
  struct Case {
    const wchar_t* element;
    const wchar_t* name;
    const wchar_t* list;
  };
  const Case cases[] = {
      {L"<Class name=\"c\" width=\"10\" _value=\"5\"/>", L"c", L"width=\"10\" value=\"5\""},
      {L"<Class width=\"10\" name=\"c\" height=\"auto\"/>", L"c", L"width=\"10\" height=\"auto\""},
      {L"<Class name=\"c\" value=\"a=&quot;1&quot;\" b=\"2\"/>", L"c", L"a=\"1\" b=\"2\""},
      {L"<Class name=\"c\" value=\" \t x=&quot;1&quot;\"/>", L"c", L"x=\"1\""},
      {L"<Class name=\"c\" normalimage=\"file='a.png' fade='80'\"/>", L"c",
       L"normalimage=\"file='a.png' fade='80'\""},
      {L"<Class name=\"c\"/>", L"c", L""},
      {L"<Class width=\"1\"/>", L"", L"width=\"1\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    MarkupDocument document;
    std::wstring name;
    EXPECT_EQ(StyleClassAttributeList(Parse(document, c.element), &name), c.list);
    EXPECT_EQ(name, c.name);
  }
}

TEST(GlobalMarkupTest, FontAttributesWithTheirDefaults) {
  struct Case {
    const wchar_t* element;
    FontDeclaration expected;
  };
  const Case cases[] = {
      {L"<Font id=\"a\" name=\"system\"/>", {L"a", L"system", 12, false, false, false, false}},
      {L"<Font id=\"b\" name=\"arial\" size=\"22\" bold=\"true\" underline=\"true\" italic=\"true\" "
       L"default=\"true\"/>",
       {L"b", L"arial", 22, true, true, true, true}},
      {L"<Font id=\"c\" name=\"arial\" size=\"x\" bold=\"TRUE\" italic=\"1\" default=\"yes\"/>",
       {L"c", L"arial", 0, false, false, false, false}},
      {L"<Font id=\"d\" name=\"arial\" size=\"14\" size=\"16\" bold=\"true\" bold=\"false\"/>",
       {L"d", L"arial", 16, false, false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    MarkupDocument document;
    const FontDeclaration font = ReadFontDeclaration(Parse(document, c.element));
    EXPECT_EQ(font.id, c.expected.id);
    EXPECT_EQ(font.name, c.expected.name);
    EXPECT_EQ(font.size, c.expected.size);
    EXPECT_EQ(font.bold, c.expected.bold);
    EXPECT_EQ(font.underline, c.expected.underline);
    EXPECT_EQ(font.italic, c.expected.italic);
    EXPECT_EQ(font.is_default, c.expected.is_default);
  }
}

TEST(GlobalMarkupTest, RegistersChildrenAndSkipsThoseWithoutAName) {
  MarkupDocument document;
  const MarkupNode root = Parse(document,
      L"<Global>"
      L"<Font id=\"gm_font\" name=\"arial\"/><Font id=\"gm_nameless\" name=\"\"/>"
      L"<TextColor name=\"gm_colour\" value=\"#ff102030\"/><TextColor value=\"#ff000000\"/>"
      L"<TextColor name=\"gm_empty\" value=\"\"/>"
      L"<Image name=\"gm_image\" value=\"x.png\"/><Unknown name=\"gm_unknown\"/>"
      L"<Class name=\"gm_class\" width=\"10\"/><Class width=\"20\"/>"
      L"</Global>");
  FontRecorder recorder;
  ASSERT_TRUE(RegisterGlobalMarkup(root, recorder.Get()));
  ASSERT_EQ(recorder.fonts.size(), 1u);
  EXPECT_EQ(recorder.fonts[0].id, L"gm_font");
  EXPECT_EQ(GlobalResources::ColorByName(L"gm_colour"), 0xFF102030u);
  EXPECT_EQ(GlobalResources::ColorByName(L"gm_empty"), 0u);
  EXPECT_EQ(GlobalResources::StyleClassAttributes(L"gm_class"), L"width=\"10\"");
  EXPECT_EQ(GlobalResources::StyleClassAttributes(L""), L"");
  EXPECT_EQ(GlobalResources::StyleClassAttributes(L"gm_image"), L"");
}

TEST(GlobalMarkupTest, RootAttributesSetDefaultNamesAndKeptColours) {
  GlobalResources::RegisterColor(L"gm_link", L"#ff0000aa");
  GlobalResources::RegisterColor(L"gm_hover", L"#ff0000bb");
  GlobalResources::RegisterColor(L"gm_selected", L"#ff0000cc");
  MarkupDocument document;
  const MarkupNode root = Parse(document,
      L"<Global disabledfontcolor=\"gm_disabled\" defaultfontcolor=\"gm_text\" "
      L"linkfontcolor=\"gm_link\" linkhoverfontcolor=\"gm_hover\" selectedcolor=\"gm_selected\"/>");
  ASSERT_TRUE(RegisterGlobalMarkup(root, FontRegistrar()));
  EXPECT_EQ(GlobalResources::DefaultDisabledTextColorName(), L"gm_disabled");
  EXPECT_EQ(GlobalResources::DefaultTextColorName(), L"gm_text");
  EXPECT_EQ(GlobalResources::LinkColor(), 0xFF0000AAu);
  EXPECT_EQ(GlobalResources::LinkHoverColor(), 0xFF0000BBu);
  EXPECT_EQ(GlobalResources::SelectedColor(), 0xFF0000CCu);
  GlobalResources::SetDefaultTextColorName(L"textdefaultcolor");
  GlobalResources::SetDefaultDisabledTextColorName(L"textdefaultdisablecolor");
  GlobalResources::SetLinkColor(0xFF0000FF);
  GlobalResources::SetLinkHoverColor(0xFFD3215F);
  GlobalResources::SetSelectedColor(0xFFBAE4FF);
}

TEST(GlobalMarkupTest, OnlyAGlobalRootIsTaken) {
  for (const wchar_t* text : {L"<Window><Class name=\"gm_window_class\" width=\"1\"/></Window>",
                              L"<global><Class name=\"gm_window_class\" width=\"1\"/></global>"}) {
    MarkupDocument document;
    EXPECT_FALSE(RegisterGlobalMarkup(Parse(document, text), FontRegistrar()));
  }
  EXPECT_FALSE(RegisterGlobalMarkup(MarkupNode(), FontRegistrar()));
  EXPECT_EQ(GlobalResources::StyleClassAttributes(L"gm_window_class"), L"");
}

// The theme's global.xml as it is shipped.
class ShippedGlobalMarkupTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    MarkupDocument document;
    const std::wstring path =
        Utf8ToUtf16(QM_TEST_RESOURCES_DIR) + L"/themes/default/global.xml";
    ASSERT_TRUE(document.ParseFile(path, MarkupEncoding::kUtf8))
        << Utf16ToUtf8(document.ErrorMessage()) << " at " << Utf16ToUtf8(document.ErrorLocation());
    recorder_ = new FontRecorder();
    ASSERT_TRUE(RegisterGlobalMarkup(document.RootNode(), recorder_->Get()));
  }
  static void TearDownTestSuite() {
    delete recorder_;
    recorder_ = nullptr;
  }
  static FontRecorder* recorder_;
};

FontRecorder* ShippedGlobalMarkupTest::recorder_ = nullptr;

TEST_F(ShippedGlobalMarkupTest, ThirtyFontsNamedByFaceWeightAndSize) {
  ASSERT_NE(recorder_, nullptr);
  std::set<std::wstring> expected;
  for (const wchar_t* kind : {L"system", L"system_bold", L"system_underline", L"arial", L"arial_bold"}) {
    for (int size : {12, 14, 16, 18, 20, 22}) expected.insert(std::wstring(kind) + L"_" + std::to_wstring(size));
  }
  std::set<std::wstring> ids;
  int defaults = 0;
  for (const FontDeclaration& font : recorder_->fonts) {
    SCOPED_TRACE(Utf16ToUtf8(font.id));
    ids.insert(font.id);
    const std::wstring face = font.id.compare(0, 6, L"system") == 0 ? L"system" : L"arial";
    EXPECT_EQ(font.name, face);
    EXPECT_EQ(font.id.substr(font.id.size() - 2), std::to_wstring(font.size));
    EXPECT_EQ(font.bold, font.id.find(L"_bold_") != std::wstring::npos);
    EXPECT_EQ(font.underline, font.id.find(L"_underline_") != std::wstring::npos);
    EXPECT_FALSE(font.italic);
    if (font.is_default) {
      ++defaults;
      EXPECT_EQ(font.id, L"system_12");
    }
  }
  EXPECT_EQ(recorder_->fonts.size(), 30u);
  EXPECT_EQ(ids, expected);
  EXPECT_EQ(defaults, 1);
}

TEST_F(ShippedGlobalMarkupTest, ColoursTheWindowUses) {
  struct Case {
    const wchar_t* name;
    uint32_t argb;
  };
  const Case cases[] = {
      {L"white", 0xFFFFFFFF},           {L"darkcolor", 0xFF333333},
      {L"graycolor", 0xFFCCCCCC},       {L"lightcolor", 0xFF888888},
      {L"dark_gray", 0xFF72797F},       {L"red", 0xFFEE443F},
      {L"textdefaultcolor", 0xFFCCCCCC}, {L"textdefaultdisablecolor", 0xFFA1AEBC},
      {L"bk_wnd_darkcolor", 0xFF140B0C}, {L"bk_listitem_normal", 0xFF31333D},
      {L"bk_listitem_hovered", 0xFF283C3E}, {L"bk_listitem_selected", 0xFF84312B},
      {L"splitline_level1", 0xFF333333},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name));
    EXPECT_EQ(GlobalResources::ColorByName(c.name), c.argb);
  }
  for (int i = 1; i <= 9; ++i) {
    EXPECT_NE(GlobalResources::ColorByName(L"color_palette" + std::to_wstring(i)), 0u);
  }
}

TEST_F(ShippedGlobalMarkupTest, FortyEightClassesWithTheListsTheWindowRelyOn) {
  const wchar_t* const names[] = {
      L"font_title", L"caption", L"vscrollbar", L"hscrollbar", L"option", L"circle_option",
      L"circle_option_2", L"checkbox_font12", L"checkbox_font14", L"checkbox_green", L"btn_path",
      L"btn_global", L"btn_start", L"btn_global_blue_80x30", L"btn_global_white_80x30",
      L"btn_global_line", L"btn_global_red_80x30", L"btn_global_min", L"btn_global_close",
      L"btn_wnd_min", L"btn_wnd_close", L"btn_wnd_max", L"btn_wnd_restore", L"btn_wnd_settings",
      L"btn_wnd_white_min", L"btn_wnd_white_close", L"btn_wnd_white_max", L"btn_wnd_white_menu",
      L"btn_delete", L"btn_recycle", L"btn_refresh", L"btn_del_search", L"list", L"listitem",
      L"list_topitem", L"progress_blue", L"slider_green", L"menu", L"menu_element", L"menu_text",
      L"splitline_hor_level1", L"splitline_hor_level2", L"splitline_ver_level1", L"simple",
      L"prompt", L"edit", L"input", L"icon_headimage_mask_40x40"};
  EXPECT_EQ(sizeof(names) / sizeof(names[0]), 48u);
  for (const wchar_t* name : names) {
    EXPECT_FALSE(GlobalResources::StyleClassAttributes(name).empty()) << Utf16ToUtf8(name);
  }
  struct Case {
    const wchar_t* name;
    const wchar_t* list;
  };
  const Case cases[] = {
      {L"btn_start",
       L"font=\"system_bold_14\" width=\"200\" height=\"40\" normaltextcolor=\"white\" "
       L"normalimage=\"../public/button/btn_start_normal.png\" "
       L"hotimage=\"../public/button/btn_start_hover.png\" "
       L"pushedimage=\"../public/button/btn_start_pushed.png\" "
       L"disabledimage=\"../public/button/btn_start_normal.png\""},
      {L"progress_blue",
       L"valign=\"center\" value=\"0\" bkimage=\"../public/progress/progress_blue_bg.png\" "
       L"height=\"6\" width=\"stretch\" hor=\"true\" max=\"100\" min=\"0\" "
       L"progressimage=\"../public/progress/progress_blue_fg.png\""},
      {L"btn_path",
       L"width=\"24\" height=\"24\" normalimage=\"file='../public/button/btn_path_normal.png'\" "
       L"hotimage=\"file='../public/button/btn_path_hover.png'\" "
       L"pushedimage=\"file='../public/button/btn_path_pushed.png'\" "
       L"disabledimage=\"file='../public/button/btn_path_normal.png' fade='128'\""},
      {L"checkbox_font12",
       L"height=\"16\" textpadding=\"20,0,0,0\" font=\"system_12\" normaltextcolor=\"darkcolor\" "
       L"normalimage=\"file='../public/CheckBox/check_no.png' dest='0,0,16,16'\" "
       L"disabledimage=\"file='../public/CheckBox/check_no.png' dest='0,0,16,16' fade='80'\" "
       L"selectednormalimage=\"file='../public/CheckBox/check_yes.png' dest='0,0,16,16'\" "
       L"selecteddisabledimage=\"file='../public/CheckBox/check_yes.png' dest='0,0,16,16' "
       L"fade='80'\""},
      {L"splitline_hor_level1", L"bkcolor=\"splitline_level1\" height=\"1\""},
      {L"btn_wnd_close",
       L"width=\"24\" height=\"24\" normalimage=\"file='../public/button/btn_close_normal.png'\" "
       L"hotimage=\"../public/button/btn_close_hover.png\" "
       L"pushedimage=\"../public/button/btn_close_pushed.png\" fadehot=\"false\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name));
    EXPECT_EQ(GlobalResources::StyleClassAttributes(c.name), c.list);
  }
  const std::wstring caption = GlobalResources::StyleClassAttributes(L"caption");
  EXPECT_EQ(caption.find(L"height=\"34\" bkimage="), 0u);
  EXPECT_NE(caption.find(L"padding=\"10,0,5,0\""), std::wstring::npos);
}

}  // namespace
}  // namespace ui
