#pragma once
// The control set's flat frame: a border of one of the flat border types,
// two pixels deep, drawn in the control's own colours on the chosen sides of
// a rectangle. Controls with a Flat property draw their border with it.
// Any thread, on a device context that thread owns.
#include <windows.h>

#include "framework/win32/Graphics.h"

enum TElFlatBorderType : unsigned char {
  fbtFlat,
  fbtSunken,
  fbtSunkenInner,
  fbtSunkenOuter,
  fbtRaised,
  fbtRaisedInner,
  fbtRaisedOuter,
  fbtBump,
  fbtBigBump,
  fbtEtched,
  fbtFramed,
  fbtLine,
  fbtLineBorder,
  fbtNone,
  fbtColorLineBorder
};

enum TElBorderSide : unsigned char { ebsLeft = 1, ebsRight = 2, ebsTop = 4, ebsBottom = 8 };
using TElBorderSides = unsigned char;
constexpr TElBorderSides ebsAll = ebsLeft | ebsRight | ebsTop | ebsBottom;

struct TElFlatFrameColors {
  TColor face = clBtnFace;
  TColor shadow = clBtnShadow;
  TColor dkShadow = cl3DDkShadow;
  TColor highlight = clBtnHighlight;
  TColor window = clWindow;
};

struct TElFlatFrame {
  TElFlatBorderType type = fbtSunken;
  TColor lineColor = clBlack;  // of the line border types
  TElBorderSides sides = ebsAll;
  bool enabled = true;
  bool active = false;  // focused or hovered
  TColor background = clWindow;  // the control's colour, shown where a type has no line
  TElFlatFrameColors colors;
};

// The depth of every flat frame, in pixels.
constexpr int kElFlatFrameDepth = 2;

// Draws the frame inside rect on its sides; rect is left as the area inside it.
void DrawElFlatFrame(HDC dc, RECT& rect, const TElFlatFrame& frame);

// The non-client room a single border takes on each side. A control that
// draws its own frame takes room for the sides it draws; one that keeps the
// platform's border (sunken edge with Ctl3D, a line without) gives back the
// room of the sides it leaves out.
RECT ElBorderRoom(bool ctl3D, bool ownFrame, TElBorderSides sides);

// WM_NCCALCSIZE's client rectangle less that room, never turned inside out.
void ShrinkByBorderRoom(RECT& client, const RECT& room);
