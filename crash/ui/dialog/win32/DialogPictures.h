#pragma once
// The dialog's pictures, bitmap resources of the executable whose magenta
// pixels are transparent. Handling thread.
#include <windows.h>

// True when the executable carries the picture.
bool HasPicture(const char* name);
// Draws the picture with its top-left corner at (x, y), at its own size;
// grey: drawn in grey tones (a disabled button). False when it is missing.
bool DrawPicture(HDC dc, const char* name, int x, int y, bool grey = false);
