#pragma once
// The list box's small rules that need no window: where a row's check box
// takes a click and what a click makes of its state, which row a point
// falls on, the pixels of a tab, and the matching and stepping of the
// incremental search. Platform-neutral; any thread.
#include "controls/base/ElCheckBoxState.h"
#include "platform/WideString.h"

// Whether a press x pixels right of the row's left edge hits the check box
// that starts offset pixels in (the box is boxWidth wide; the clickable
// range reaches one pixel before it and two after it).
bool ElCheckBoxHit(int xFromRowLeft, int offset, int boxWidth);

// The state a click gives: unchecked -> grayed (allowGrayed) or checked,
// checked -> unchecked, grayed -> checked.
TCheckBoxState ElNextCheckState(TCheckBoxState state, bool allowGrayed);

// The row under client y for rows rowHeight high starting with topIndex;
// -1 for a point above the client area or rows of no height.
int ElRowAtY(int topIndex, int y, int rowHeight);

// The extra width of one tab: the width of "0" times tabWidth / 4, rounded
// to the nearest pixel (a half to the even neighbour).
int ElTabPixels(int zeroWidth, int tabWidth);

// The row a search starts at: start itself, or for -1 the row after the
// current one (0 after the last row or when there is no current row).
int ElSearchStartRow(int start, int itemIndex, int count);

// True when row begins with prefix, case ignored through the control set's
// case table. An empty prefix matches nothing.
bool ElRowStartsWith(const WideString& row, const WideString& prefix);

// True when text holds more than one character, all the same.
bool ElRepeatsOneCharacter(const WideString& text);
