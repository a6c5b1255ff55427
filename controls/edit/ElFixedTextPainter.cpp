#include "controls/edit/ElFixedTextPainter.h"

TElTextExtent TElFixedTextPainter::TextSize(const WideString& text) const {
  return {static_cast<int>(text.size()) * FAdvance, FHeight};
}

int TElFixedTextPainter::GetTextExtentExPoint(const WideString& text, int maxWidth) const {
  if (maxWidth <= 0 || FAdvance <= 0) return 0;
  const int fit = maxWidth / FAdvance;
  const int size = static_cast<int>(text.size());
  return fit < size ? fit : size;
}

void TElFixedTextPainter::ExtTextOut(int, int, const TElTextRect&, const WideString& text) {
  FDrawn.push_back(text);
}
