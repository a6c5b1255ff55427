#pragma once
// A painter with a fixed advance per code unit and a fixed height: the
// geometry it gives is exact and platform-independent, so the edit model's
// layout can be checked on any host. Main thread only, like every painter.
#include <vector>

#include "controls/edit/ElTextPainter.h"

class TElFixedTextPainter : public TElTextPainter {
 public:
  explicit TElFixedTextPainter(int advance = 8, int height = 13) : FAdvance(advance), FHeight(height) {}

  TElTextExtent TextSize(const WideString& text) const override;
  int GetTextExtentExPoint(const WideString& text, int maxWidth) const override;
  // Records the text, so a test can see what would have been drawn.
  void ExtTextOut(int x, int y, const TElTextRect& clip, const WideString& text) override;

  int Advance() const { return FAdvance; }
  const std::vector<WideString>& Drawn() const { return FDrawn; }

 private:
  int FAdvance;
  int FHeight;
  std::vector<WideString> FDrawn;
};
