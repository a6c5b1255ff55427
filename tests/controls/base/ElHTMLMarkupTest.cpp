#include "controls/base/ElHTMLMarkup.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Ascii(const std::u16string& text) {
  std::string result;
  for (char16_t c : text) result.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return result;
}

// One piece a token: text runs as "flags{color,size,face,link}'text'", images
// as "img(src WxH)", line breaks as "|". Default attributes are left out.
std::string Describe(const TElHTMLMarkup& markup) {
  std::ostringstream out;
  for (const TElHTMLPiece& piece : markup.Pieces) {
    if (!out.str().empty()) out << ' ';
    if (piece.Kind == hpLineBreak) {
      out << '|';
      continue;
    }
    const TElHTMLStyle& style = piece.Style;
    if (style.Flags & hsBold) out << 'B';
    if (style.Flags & hsItalic) out << 'I';
    if (style.Flags & hsUnderline) out << 'U';
    if (style.Flags & hsStrikeOut) out << 'S';
    if (style.Color != ElHTMLDefaultColor) out << "{c" << std::hex << style.Color << std::dec << '}';
    if (style.Size != 0) out << "{s" << style.Size << '}';
    if (!style.Face.empty()) out << "{f" << Ascii(style.Face) << '}';
    if (style.Link >= 0) out << "{a" << style.Link << '}';
    if (piece.Kind == hpImage)
      out << "img(" << Ascii(piece.Text) << ' ' << piece.Width << 'x' << piece.Height << ')';
    else
      out << '\'' << Ascii(piece.Text) << '\'';
  }
  return out.str();
}

struct MarkupCase {
  const char16_t* input;
  const char* pieces;
};

class MarkupTable : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(MarkupTable, ParsesIntoPieces) {
  EXPECT_EQ(Describe(ParseElHTML(GetParam().input)), GetParam().pieces) << Ascii(GetParam().input);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkupTable,
    ::testing::Values(
        MarkupCase{u"", ""},
        MarkupCase{u"plain & <3 > done", "'plain & <3 > done'"},
        MarkupCase{u"a <b>bold <i>both</i></b> c", "'a ' B'bold ' BI'both' ' c'"},
        MarkupCase{u"<B>upper</B><U>u</U><s>s</s>", "B'upper' U'u' S's'"},
        // Closing ends the innermost open tag of its kind; a stray closing is ignored.
        MarkupCase{u"<b>x<b>y</b>z</b>w</i>", "B'xyz' 'w'"},
        MarkupCase{u"<font color=#FF8000 size=12 face='Courier New'>f</font>n",
                   "{c80ff}{s12}{fCourier New}'f' 'n'"},
        MarkupCase{u"<font color=red>r<font color=bogus>still red</font></font>", "{cff}'rstill red'"},
        MarkupCase{u"<font size=10>a<font size=+2>b<font size=-20>c</font></font></font>",
                   "{s10}'a' {s12}'b' {s1}'c'"},
        // A relative size needs a known size to step from.
        MarkupCase{u"<font size=+2>d</font>", "'d'"},
        MarkupCase{u"<a href=\"x.html\">one</a> <a href=y>two</a>", "{a0}'one' ' ' {a1}'two'"},
        MarkupCase{u"line<br>next<br/>last", "'line' | 'next' | 'last'"},
        MarkupCase{u"  lead \r\n and   trail  ", "'lead and trail '"},
        MarkupCase{u"a <br>  b", "'a ' | 'b'"},
        MarkupCase{u"&lt;b&gt; &amp;&quot;&apos;&#65;&#x42;&unknown; &amp", "'<b> &\"'AB&unknown; &amp'"},
        MarkupCase{u"<img src=\"ok.bmp\" width=16 height=8>x<img src=none>",
                   "img(ok.bmp 16x8) 'x' img(none 0x0)"},
        MarkupCase{u"<unknown attr=1>kept</unknown>", "'kept'"},
        // Not tags: shown as they are.
        MarkupCase{u"a < b, 1<2, <b unclosed", "'a < b, 1<2, <b unclosed'"},
        MarkupCase{u"<font color=\"#12>open quote", "'<font color=\"#12>open quote'"},
        MarkupCase{u"<font color=\"#12\">bad colour", "'bad colour'"}));

TEST(ElHTMLMarkup, NonBreakingSpaceIsNotCollapsed) {
  const TElHTMLMarkup markup = ParseElHTML(u"a&nbsp;&nbsp; b");
  ASSERT_EQ(markup.Pieces.size(), 1u);
  EXPECT_EQ(markup.Pieces[0].Text, std::u16string(u"a\u00A0\u00A0 b"));
}

TEST(ElHTMLMarkup, LinksKeepTheirTargetsInOrder) {
  const TElHTMLMarkup markup = ParseElHTML(u"<a href='first'>1</a><a>2</a><a href=third>3</a>");
  ASSERT_EQ(markup.Links.size(), 3u);
  EXPECT_EQ(markup.Links[0], u"first");
  EXPECT_EQ(markup.Links[1], u"");
  EXPECT_EQ(markup.Links[2], u"third");
}

}  // namespace
