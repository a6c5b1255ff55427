#include "controls/list/ElScrollBarGeometry.h"

#include <algorithm>

int ElMulDivRound(int64_t a, int64_t b, int64_t c) {
  const int64_t product = a * b;
  const bool negative = (product < 0) != (c < 0);
  const int64_t magnitude = product < 0 ? -product : product;
  const int64_t divisor = c < 0 ? -c : c;
  // Adding half the divisor rounds an exact half up in magnitude, that is away from zero.
  const int64_t rounded = (magnitude + divisor / 2) / divisor;
  return static_cast<int>(negative ? -rounded : rounded);
}

int ElArrowButtons(bool shown, bool secondary) { return shown ? (secondary ? 2 : 1) : 0; }

TElScrollBarLayout ElLayoutButtons(int length, int buttonSize, int startButtons, int endButtons) {
  TElScrollBarLayout layout;
  layout.Length = length;
  layout.StartButtons = startButtons;
  layout.EndButtons = endButtons;
  const int buttons = startButtons + endButtons;
  layout.ButtonSize = buttonSize;
  if (buttons > 0 && length < buttonSize * buttons) layout.ButtonSize = std::max(0, length) / buttons;
  layout.Track = length - layout.ButtonSize * buttons;
  layout.ThumbStart = layout.TrackStart();
  return layout;
}

namespace {
// The page as it counts against the range: never more than the whole range.
int EffectivePage(const TElScrollRange& range) {
  return static_cast<int>(std::min<int64_t>(range.Page, int64_t(range.Max) - range.Min + 1));
}
}  // namespace

int ElAutoThumbLength(int track, const TElScrollRange& range, int systemThumb, int minThumbSize) {
  if (track < 0) return 0;
  const int64_t span = int64_t(range.Max) - range.Min + 1;  // positions in the range
  int length = track;
  if (span >= 2) {
    if (range.Page > 0)
      length = span - 1 >= range.Page ? ElMulDivRound(track, std::min<int64_t>(range.Page, span), span) : track;
    else
      length = systemThumb;
  }
  length = std::max(length, minThumbSize);
  return length > track ? 0 : length;
}

int ElThumbStart(const TElScrollBarLayout& layout, const TElScrollRange& range) {
  const int start = layout.TrackStart();
  if (!(layout.ThumbLength + layout.ButtonSize * layout.Buttons() < layout.Length) || range.Min > range.Max)
    return start;
  // Positions the thumb can take; none when the page covers the range.
  const int64_t steps = int64_t(range.Max) - range.Min - EffectivePage(range) + 1;
  if (steps <= 0) return start;
  const int64_t position = std::min<int64_t>(int64_t(range.Max) - range.Page + 1, range.Position) - range.Min;
  const int offset = ElMulDivRound(layout.Track - layout.ThumbLength, position, steps);
  return start + std::clamp(offset, 0, layout.Track - layout.ThumbLength);
}

int ElPositionFromThumb(const TElScrollBarLayout& layout, const TElScrollRange& range, int thumbStart) {
  const int free = layout.Track - layout.ThumbLength;
  const int64_t steps = int64_t(range.Max) - range.Min - EffectivePage(range) + 1;
  if (free <= 0 || steps <= 0) return range.Min;
  return range.Min + ElMulDivRound(thumbStart - layout.TrackStart(), steps, free);
}

TElScrollBarPart ElHitTest(const TElScrollBarLayout& layout, int depth, int along, int across) {
  if (across < 0 || across >= depth || along < 0 || along >= layout.Length) return sbpNowhere;
  const int b = layout.ButtonSize;
  if (layout.StartButtons >= 1 && along < b) return sbpLeftArrow;
  if (layout.EndButtons >= 1 && along >= layout.Length - b) return sbpRightArrow;
  if (layout.StartButtons >= 2 && along < 2 * b) return sbpLeftSndArrow;
  if (layout.EndButtons >= 2 && along >= layout.Length - 2 * b) return sbpRightSndArrow;
  if (along < layout.ThumbStart) return sbpLeftTop;
  if (along < layout.ThumbStart + layout.ThumbLength) return sbpThumb;
  return sbpRightBottom;
}

bool ElStartArrowsEnabled(const TElScrollRange& range) {
  return range.Position > range.Min && int64_t(range.Max) - range.Min >= range.Page;
}

bool ElEndArrowsEnabled(const TElScrollRange& range) {
  return range.Position < int64_t(range.Max) - range.Page + 1 && int64_t(range.Max) - range.Min >= range.Page;
}

namespace {
TElScrollAction Backward(TElScrollCode code, const TElScrollRange& range, int distance, bool active) {
  return {active, code, static_cast<int>(std::max<int64_t>(range.Min, int64_t(range.Position) - distance))};
}
TElScrollAction Forward(TElScrollCode code, const TElScrollRange& range, int distance, bool active) {
  return {active, code, static_cast<int>(std::min<int64_t>(range.Max, int64_t(range.Position) + distance))};
}
}  // namespace

TElScrollAction ElPressAction(TElScrollBarPart part, const TElScrollRange& range, int step,
                              TElSecButtonsKind secondKind, bool noDisableButtons) {
  const bool back = noDisableButtons || ElStartArrowsEnabled(range);
  const bool ahead = noDisableButtons || ElEndArrowsEnabled(range);
  switch (part) {
    case sbpLeftArrow: return Backward(escLineUp, range, step, back);
    case sbpRightArrow: return Forward(escLineDown, range, step, ahead);
    case sbpLeftTop: return Backward(escPageUp, range, range.Page, back);
    case sbpRightBottom: return Forward(escPageDown, range, range.Page, ahead);
    case sbpLeftSndArrow:
      switch (secondKind) {
        case sbkOpposite: return Forward(escLineDown, range, step, ahead);
        case sbkPage: return Backward(escPageUp, range, range.Page, back);
        case sbkCustom: return {true, escSndLineDown, range.Position};
      }
      break;
    case sbpRightSndArrow:
      switch (secondKind) {
        case sbkOpposite: return Backward(escLineUp, range, step, back);
        case sbkPage: return Forward(escPageDown, range, range.Page, ahead);
        case sbkCustom: return {true, escSndLineUp, range.Position};
      }
      break;
    case sbpNowhere:
    case sbpThumb: break;
  }
  return {};
}

bool ElCanDragThumb(const TElScrollRange& range) {
  return range.Page < int64_t(range.Max) - range.Min + 1 && range.Max != range.Min;
}

int ElDragThumbStart(const TElScrollBarLayout& layout, int pointer, int grabOffset, int pressStart) {
  const int slack = layout.Length / 2;
  if (pointer < -slack || pointer - layout.Length > slack) return pressStart;
  const int lowest = layout.TrackStart();
  const int highest = std::max(lowest, lowest + layout.Track - layout.ThumbLength);
  return std::clamp(pointer - grabOffset, lowest, highest);
}
