#pragma once
// Where a button puts its picture and its caption inside its content area,
// and how much room that content needs. Pure geometry: the window code
// measures the picture and the caption and draws at the places computed here.
// Any thread may call these functions.
#include "controls/base/ElLayoutGeometry.h"

enum TElButtonLayout : unsigned char { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TElButtonLayoutInput {
  TElButtonLayout Layout = blGlyphLeft;
  TElLayoutRect Content;        // the button's content area
  int ArrowWidth = 0;           // the arrow part at the content area's right edge
  TElLayoutSize Picture;        // natural size; empty when there is none or it is hidden
  TElLayoutSize Caption;        // measured size; empty when there is none or it is hidden
  int Margin = -1;              // edge to picture; -1 centres
  int Spacing = 4;              // picture to caption; -1 spreads evenly
  int OffsetX = 0;              // the pressed look's content shift
  int OffsetY = 0;
};

struct TElButtonLayoutResult {
  TElLayoutRect Picture;        // where the picture is drawn, at its drawn size
  bool Scaled = false;          // the picture had to shrink to fit
  TElLayoutRect Caption;        // where the caption is drawn, never beyond the client part
};

// A picture larger than the client is shrunk, keeping its proportions, to
// leave one pixel on each side; an empty client leaves nothing of it.
TElLayoutSize FitPicture(TElLayoutSize picture, TElLayoutSize client);

TElButtonLayoutResult CalcButtonLayout(const TElButtonLayoutInput& input);

struct TElButtonMeasureInput {
  TElButtonLayout Layout = blGlyphLeft;
  TElLayoutSize Picture;
  TElLayoutSize Caption;
  int Margin = -1;
  int Spacing = 4;
  int ArrowWidth = 0;
  int LimitHeight = 0;          // when above 0 the picture is kept within it, less 2
};

// The width and height the content needs (frame not included).
TElLayoutSize CalcButtonSize(const TElButtonMeasureInput& input);
