#pragma once
// The markup of the control set's HTML-formatted texts, parsed into pieces:
// runs of text with their style, images and line breaks. Understood:
//   <b> <i> <u> <s>                 bold, italic, underline, strike-out
//   <font color=C size=N face=F>    colour ("#RRGGBB" or a basic colour
//                                   name), size in points ("+N"/"-N" relative
//                                   to the enclosing size), font name
//   <a href=H>                      a link, drawn in the link colour and style
//   <br>                            a line break
//   <img src=S width=W height=H>    an image asked for by name
//   &amp; &lt; &gt; &quot; &apos; &nbsp; &#N; &#xN;
// Runs of white space (line ends included) count as one space. Other tags
// are left out; a '<' that does not start a tag and an unknown entity are
// shown as they are. Closing tags end the innermost open one of their kind;
// a closing tag with none open is ignored. Pure: any thread.
#include <cstdint>
#include <string>
#include <vector>

using TElHTMLColor = std::int32_t;
// "The text's default colour".
constexpr TElHTMLColor ElHTMLDefaultColor = -1;

enum TElHTMLStyleFlag : unsigned char { hsBold = 1, hsItalic = 2, hsUnderline = 4, hsStrikeOut = 8 };

struct TElHTMLStyle {
  unsigned char Flags = 0;
  TElHTMLColor Color = ElHTMLDefaultColor;  // 0x00BBGGRR, or the default
  int Size = 0;                             // points; 0 for the default size
  std::u16string Face;                      // empty for the default font
  int Link = -1;                            // index into the links, or -1
  bool operator==(const TElHTMLStyle& other) const {
    return Flags == other.Flags && Color == other.Color && Size == other.Size && Face == other.Face &&
           Link == other.Link;
  }
};

enum TElHTMLPieceKind : unsigned char { hpText, hpImage, hpLineBreak };

struct TElHTMLPiece {
  TElHTMLPieceKind Kind = hpText;
  std::u16string Text;  // the text of a run; the source name of an image
  TElHTMLStyle Style;
  int Width = 0;        // an image's width and height from its tag; 0: its own
  int Height = 0;
};

struct TElHTMLMarkup {
  std::vector<TElHTMLPiece> Pieces;
  std::vector<std::u16string> Links;  // the targets of the <a> tags, in order
};

TElHTMLMarkup ParseElHTML(const std::u16string& text);
