#pragma once
// Places the pieces of a parsed HTML text on lines: each line as high as
// its highest piece, pieces sharing the line's baseline (an image stands on
// it), lines one below the other. With word wrapping and a maximum width,
// text breaks at spaces; a word wider than the width gets a line of its own
// and is not cut. Sizes come from a measurer, so the layout is pure and any
// thread may run it.
#include <string>
#include <vector>

#include "controls/base/ElHTMLMarkup.h"

struct TElHTMLExtent {
  int Width = 0;
  int Height = 0;
  int Ascent = 0;  // from the top to the baseline
};

class IElHTMLMeasurer {
 public:
  virtual ~IElHTMLMeasurer() = default;
  // The extent of text in style; for an empty text, the style's line height.
  virtual TElHTMLExtent MeasureText(const TElHTMLStyle& style, const std::u16string& text) = 0;
  // The natural size of the named image; 0 x 0 when there is none.
  virtual TElHTMLExtent MeasureImage(const std::u16string& src) = 0;
};

struct TElHTMLItem {
  TElHTMLPieceKind Kind = hpText;
  std::u16string Text;  // the text drawn; an image's source name
  TElHTMLStyle Style;
  int Left = 0;         // relative to the text's origin
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct TElHTMLLine {
  int Top = 0;
  int Height = 0;
  int Baseline = 0;  // from the line's top
  int Width = 0;
  std::vector<TElHTMLItem> Items;
};

struct TElHTMLLayout {
  std::vector<TElHTMLLine> Lines;
  int Width = 0;   // of the widest line
  int Height = 0;  // of all lines

  // The link under a point relative to the origin, or -1.
  int LinkAt(int x, int y) const;
};

// maxWidth <= 0 or wordWrap false: lines break only at <br>.
TElHTMLLayout LayoutElHTML(const TElHTMLMarkup& markup, IElHTMLMeasurer& measurer, int maxWidth,
                           bool wordWrap);
