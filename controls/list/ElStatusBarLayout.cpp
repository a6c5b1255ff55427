#include "controls/list/ElStatusBarLayout.h"

#include <cstddef>

using std::size_t;

namespace {
constexpr int PanelGap = 2;
}

int TElStatusBarMetrics::CurWidth(int index) const {
  if (!Panels[static_cast<size_t>(index)].Visible) return 0;
  return RealWidth(index);
}

int TElStatusBarMetrics::RealWidth(int index) const {
  for (size_t i = static_cast<size_t>(index) + 1; i < Panels.size(); ++i)
    if (Panels[i].Visible) return Panels[static_cast<size_t>(index)].Width;
  return ClientWidth - Left(index) - (Bevel ? 2 : 0);
}

int TElStatusBarMetrics::Left(int index) const {
  if (index == 0) return 0;
  return Right(index - 1) + (Panels[static_cast<size_t>(index)].Visible ? PanelGap : 0);
}

int TElStatusBarMetrics::Right(int index) const { return Left(index) + CurWidth(index); }

TElRect TElStatusBarMetrics::PanelRect(int index) const {
  const int left = Left(index);
  TElRect rect{left, 2, left + CurWidth(index), ClientHeight};
  if (Bevel) rect = TElRect{rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
  return rect;
}

int TElStatusBarMetrics::LastVisible() const {
  for (size_t i = Panels.size(); i-- > 0;)
    if (Panels[i].Visible) return static_cast<int>(i);
  return -1;
}

int TElStatusBarMetrics::PanelAt(int x) const {
  for (size_t i = 0; i < Panels.size(); ++i) {
    if (!Panels[i].Visible) continue;
    const int index = static_cast<int>(i);
    if (Left(index) <= x && x <= Right(index)) return index;
  }
  return -1;
}

int TElStatusBarMetrics::PanelLeftOfGap(int x) const {
  if (PanelAt(x) >= 0) return -1;
  for (size_t i = Panels.size(); i-- > 0;)
    if (Panels[i].Visible && Right(static_cast<int>(i)) < x) return static_cast<int>(i);
  return -1;
}

TElRect ElSizeGripHitRect(int clientWidth, int clientHeight) {
  return TElRect{clientWidth - clientHeight + 2, 0, clientWidth, clientHeight};
}

TElRect ElSizeGripSquare(const TElRect& area) {
  const int top = area.Top - 2;
  const int size = area.Bottom - top;
  return TElRect{area.Right - size, top, area.Right, area.Bottom};
}

TElRect ElThemedSizeGripRect(int clientWidth, int clientHeight, int scrollBarWidth) {
  return TElRect{clientWidth - scrollBarWidth - 1, 2, clientWidth - 1, clientHeight - 1};
}

std::vector<TElGripLine> ElSizeGripLines(const TElRect& square) {
  std::vector<TElGripLine> lines;
  const int size = square.Right - square.Left;
  for (int start = 4; start < size; start += 4) {
    for (int k = 0; k < 3 && start + k < size; ++k) {
      const int d = start + k;
      // From the bottom edge, d left of the corner, to the right edge, d above it.
      lines.push_back({square.Right - d, square.Bottom, square.Right, square.Bottom - d, k == 0});
    }
  }
  return lines;
}
