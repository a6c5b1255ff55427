#pragma once
// Where a check box puts its box and its caption, and the size it takes
// when it sizes itself. Pure geometry: the window code measures the caption
// and draws at the places computed here. Any thread may call these functions.
#include "controls/base/ElLayoutGeometry.h"

// Which picture gives the box its size.
struct TElCheckBoxSizeInput {
  bool Themed = false;
  bool UseCustomGlyphs = false;
  TElLayoutSize GlyphStrip;      // six box images side by side
  bool UseImageList = false;
  TElLayoutSize ImageSize;       // the image list's image size
};

// 13 x 13 unless a custom glyph strip (one sixth of it) or an image list
// gives the box its own size; a theme always draws 13 x 13.
TElLayoutSize CheckBoxBoxSize(const TElCheckBoxSizeInput& input);

struct TElCheckAutoSizeInput {
  TElLayoutSize Box;
  int CheckMargin = 5;
  TElLayoutSize Text;            // the measured caption
  bool TextEffect = false;       // shadowed or raised text needs 2 more pixels
};

// The control's width and height when it sizes itself to box and caption.
TElLayoutSize CalcCheckAutoSize(const TElCheckAutoSizeInput& input);

struct TElCheckPaintInput {
  TElLayoutSize Client;
  TElLayoutSize Box;
  int CheckMargin = 5;
  bool BoxRight = false;         // the caption goes left of the box
  bool Themed = false;
  // The height the box is centred in: the client height, or for a caption
  // with line breaks the height the caption needs.
  int CentreHeight = 0;
  TElLayoutSize Text;            // the measured caption
};

struct TElCheckPaintLayout {
  TElLayoutRect Box;
  TElLayoutRect CaptionArea;     // where the caption is drawn (top-left aligned)
  TElLayoutRect Focus;           // around the caption's text, one pixel larger
};

TElCheckPaintLayout CalcCheckPaintLayout(const TElCheckPaintInput& input);
