#pragma once
// Sizes and rectangles of the controls' pure layout functions, in pixels,
// without any platform type, so that layout is computed and tested anywhere.
// Plain values: any thread may use them.

struct TElLayoutSize {
  int Width = 0;
  int Height = 0;
  // A picture or caption without area takes no room and no spacing.
  bool Empty() const { return Width <= 0 || Height <= 0; }
  bool operator==(const TElLayoutSize& other) const {
    return Width == other.Width && Height == other.Height;
  }
};

struct TElLayoutRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TElLayoutRect& other) const {
    return Left == other.Left && Top == other.Top && Right == other.Right && Bottom == other.Bottom;
  }
};
