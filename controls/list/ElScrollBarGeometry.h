#pragma once
// The geometry of one custom scroll bar as pure functions: arrow buttons,
// thumb length and place from range, page and position, the position a
// dragged thumb stands for, the part under a point, arrow enabling and what
// a press on each part proposes. Coordinates run along the bar from its
// start (left or top); "depth" is the extent across it. No window code here.
#include <cstdint>

#include "controls/list/ElScrollBarTypes.h"

struct TElScrollRange {
  int Min = 0;
  int Max = -1;
  int Page = 14;
  int Position = -1;
};

// a * b / c in 64 bits, rounded to the nearest integer, halves away from zero.
// c must not be 0.
int ElMulDivRound(int64_t a, int64_t b, int64_t c);

// Number of arrow buttons at one end: 0 when hidden, 2 with secondary buttons.
int ElArrowButtons(bool shown, bool secondary);

struct TElScrollBarLayout {
  int Length = 0;        // along the bar
  int ButtonSize = 0;    // after fitting the buttons into the length
  int StartButtons = 0;
  int EndButtons = 0;
  int Track = 0;         // free track length, may be negative when nothing fits
  int ThumbLength = 0;   // 0: no thumb
  int ThumbStart = 0;    // from the bar's start

  int TrackStart() const { return ButtonSize * StartButtons; }
  int Buttons() const { return StartButtons + EndButtons; }
  // The thumb stands on the track (a bar whose thumb fills or overflows the
  // track has none to show).
  bool HasThumb() const { return ThumbLength > 0 && ThumbLength + ButtonSize * Buttons() < Length; }
};

// Button size and free track: a bar shorter than its buttons divides its
// length evenly among them.
TElScrollBarLayout ElLayoutButtons(int length, int buttonSize, int startButtons, int endButtons);

// Automatic thumb length for a track; systemThumb is used with a page of 0.
int ElAutoThumbLength(int track, const TElScrollRange& range, int systemThumb, int minThumbSize);

// Pixel offset of the thumb's start for range.Position.
int ElThumbStart(const TElScrollBarLayout& layout, const TElScrollRange& range);

// The position a thumb starting at thumbStart stands for.
int ElPositionFromThumb(const TElScrollBarLayout& layout, const TElScrollRange& range, int thumbStart);

// The part at (along, across) relative to the bar.
TElScrollBarPart ElHitTest(const TElScrollBarLayout& layout, int depth, int along, int across);

bool ElStartArrowsEnabled(const TElScrollRange& range);
bool ElEndArrowsEnabled(const TElScrollRange& range);

// A press on a part: the scroll code, the proposed position, and whether the
// part acts at all.
struct TElScrollAction {
  bool Active = false;
  TElScrollCode Code = escEndScroll;
  int Position = 0;
};
TElScrollAction ElPressAction(TElScrollBarPart part, const TElScrollRange& range, int step,
                              TElSecButtonsKind secondKind, bool noDisableButtons);

// Dragging the thumb can start: the page does not cover the whole range.
bool ElCanDragThumb(const TElScrollRange& range);

// Where a dragged thumb starts with the pointer at `pointer` along the bar,
// having been grabbed `grabOffset` pixels inside the thumb; pressStart is
// where it started when the drag began, taken back while the pointer is more
// than half the bar's length beyond either end.
int ElDragThumbStart(const TElScrollBarLayout& layout, int pointer, int grabOffset, int pressStart);
