#include "controls/list/ElListBoxRules.h"

#include <cmath>

#include "text/ElStrUtils.h"

bool ElCheckBoxHit(int xFromRowLeft, int offset, int boxWidth) {
  return xFromRowLeft >= offset + 1 && xFromRowLeft <= offset + boxWidth + 2;
}

TCheckBoxState ElNextCheckState(TCheckBoxState state, bool allowGrayed) {
  switch (state) {
    case cbUnchecked: return allowGrayed ? cbGrayed : cbChecked;
    case cbChecked: return cbUnchecked;
    default: return cbChecked;
  }
}

int ElRowAtY(int topIndex, int y, int rowHeight) {
  if (rowHeight <= 0 || y < 0 || topIndex < 0) return -1;
  // A row covers [top, top + height): the pixel on a boundary starts the next row.
  return topIndex + y / rowHeight;
}

int ElTabPixels(int zeroWidth, int tabWidth) {
  return static_cast<int>(std::nearbyint(zeroWidth * static_cast<double>(tabWidth) / 4.0));
}

int ElSearchStartRow(int start, int itemIndex, int count) {
  if (start != -1) return start;
  const int next = itemIndex + 1;
  return next >= count || next < 0 ? 0 : next;
}

bool ElRowStartsWith(const WideString& row, const WideString& prefix) {
  if (prefix.empty() || row.size() < prefix.size()) return false;
  return WideSameText(row.substr(0, prefix.size()), prefix);
}

bool ElRepeatsOneCharacter(const WideString& text) {
  if (text.size() < 2) return false;
  for (char16_t c : text)
    if (c != text[0]) return false;
  return true;
}
