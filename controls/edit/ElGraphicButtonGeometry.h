#pragma once
// The graphic button's rules that need no window: where its arrow part
// begins, where its pull-down menu opens, which frame colours a face colour
// gives, and when its content shifts while pressed. Any thread may call them.

// Where the arrow part's mouse zone begins: the rightmost 15 pixels, 11 when
// the button is flat.
int ArrowHitZoneWidth(bool flat);
bool InArrowZone(int x, int buttonWidth, bool flat);

enum TPopupPlace : unsigned char { ppDown, ppRight, ppTop };

struct TElScreenPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TElScreenPoint& other) const { return X == other.X && Y == other.Y; }
};

// The menu's top-left corner from the button's screen rectangle; negative
// coordinates become 0. ppTop leaves room for items of the menu-bar height.
TElScreenPoint PullMenuPosition(TPopupPlace place, int left, int top, int width, int height,
                                int menuBarHeight, int itemCount);

// Colours as 0x00BBGGRR.
struct TElFrameColours {
  unsigned Highlight = 0;
  unsigned DkShadow = 0;
  unsigned Shadow = 0;
  bool operator==(const TElFrameColours& other) const {
    return Highlight == other.Highlight && DkShadow == other.DkShadow && Shadow == other.Shadow;
  }
};

// Hue, luminance and saturation, each 0 to 240, and back.
struct TElHLS {
  int H = 0;
  int L = 0;
  int S = 0;
};
TElHLS RGBToHLS(unsigned rgb);
unsigned HLSToRGB(const TElHLS& hls);

// The frame colours of a face that is not the system's: lighter and darker
// by luminance, hue and saturation kept. False for a black face (L = 0),
// which takes the system's colours.
bool DeriveFrameColours(unsigned face, TElFrameColours& colours);
