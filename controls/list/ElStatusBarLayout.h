#pragma once
// Where the status bar's panels, size grip and grip lines lie, in client
// coordinates: pure functions of the panels' widths and visibility and of
// the bar's client size, so any thread may call them.
//
// Panels follow each other from the left with a 2-pixel gap after every
// visible panel; the last visible panel takes what is left of the bar.
#include <vector>

struct TElRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  bool operator==(const TElRect& o) const {
    return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
  }
};

struct TElPanelMetrics {
  bool Visible = true;
  int Width = 100;
};

struct TElStatusBarMetrics {
  std::vector<TElPanelMetrics> Panels;
  int ClientWidth = 0;
  int ClientHeight = 0;
  bool Bevel = false;  // the bar's Bevel is not epbNone

  int CurWidth(int index) const;
  // Width unless no later panel is visible: then the rest of the bar.
  int RealWidth(int index) const;
  int Left(int index) const;
  int Right(int index) const;
  // From Left, 2 below the top, to the bottom; 2 in on every side with a bevel.
  TElRect PanelRect(int index) const;
  // The last visible panel, or -1.
  int LastVisible() const;
  // The first visible panel with Left <= x <= Right, or -1 (a gap, or none).
  int PanelAt(int x) const;
  // Over a gap: the visible panel with the highest index whose right edge
  // is left of x, or -1.
  int PanelLeftOfGap(int x) const;
};

// The square at the right end of the client area that resizes the form.
TElRect ElSizeGripHitRect(int clientWidth, int clientHeight);

// The unthemed grip square cut from the right end of area: as high as area
// reaches from 2 above its top to its bottom.
TElRect ElSizeGripSquare(const TElRect& area);
// The themed grip area: 2 below the top, as wide as a vertical scroll bar
// plus one, 1 pixel in from the right and the bottom.
TElRect ElThemedSizeGripRect(int clientWidth, int clientHeight, int scrollBarWidth);

// One diagonal line of a drawn grip, from the square's bottom edge to its
// right edge; Light for the first of each group of three.
struct TElGripLine {
  int X1, Y1, X2, Y2;
  bool Light;
};
// Groups of three lines starting 4 pixels in and every 4 pixels after.
std::vector<TElGripLine> ElSizeGripLines(const TElRect& square);
