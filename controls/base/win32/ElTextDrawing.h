#pragma once
// Captions of the control set's buttons and check boxes: plain, shadowed or
// raised text, and the embossed look of a disabled caption. Any thread may
// call them with device contexts it owns.
#include <windows.h>

#include "platform/WideString.h"

enum TElTextDrawType : unsigned char { tdtNormal, tdtShadowed, tdtRaised };

// Draws text in rect with the platform's text flags, on a transparent
// background: the effect's copies in the system shadow and highlight
// colours first, then the text itself in colour.
void DrawTypedText(HDC dc, const WideString& text, const RECT& rect, UINT flags, COLORREF colour,
                   TElTextDrawType type);
// The disabled look: highlight one pixel down and right, then shadow in place.
void DrawEmbossedText(HDC dc, const WideString& text, const RECT& rect, UINT flags);

// Whether ch is the accelerator of caption: the character after a single
// "&" ("&&" stands for the ampersand itself), compared without case.
bool IsAccelerator(char16_t ch, const WideString& caption);
