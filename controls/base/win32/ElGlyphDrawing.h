#pragma once
// GDI steps that button pictures are made and drawn with: memory bitmaps,
// shape masks and the embossed look of disabled pictures. Any thread may call
// them with device contexts it owns.
#include <windows.h>

#include "platform/win32/HandleOwners.h"

class TImageList;

// dest := dest AND NOT source (blackens where a plain monochrome source is 1).
constexpr DWORD kRopBlackenWhereSource = 0x00220326;

// A memory device context; raises when the system has none left.
TCreatedDC MemoryDC();
// A bitmap in the screen's format; raises when the system has none left.
TGdiObject<HBITMAP> ScreenBitmap(int width, int height);
// Monochrome sources copied into dc turn 1 into white and 0 into black.
void PlainMonochrome(HDC dc);

// A monochrome mask of the top-left width x height pixels of source: 1 where
// the pixel has the transparent colour, 0 on the shape.
TGdiObject<HBITMAP> MakeShapeMask(HDC source, int width, int height, COLORREF transparent);

// Paints colour into dest wherever the mask in maskDC (width x height, 0 on
// the shape) marks the shape, stretched to dest; the rest of dest is kept.
void PaintMaskShape(HDC dc, const RECT& dest, HDC maskDC, int width, int height, COLORREF colour);

// The disabled look of a shape: highlight one pixel down and right, then
// shadow in place.
void PaintEmbossedShape(HDC dc, const RECT& dest, HDC maskDC, int width, int height);

// Draws image index of list into dest, stretched when dest has another size:
// embossed when not enabled, and with alpha (when it holds the index) as the
// per-pixel opacity given by its grey level.
void DrawListImage(HDC dc, const RECT& dest, TImageList* list, int index, bool enabled,
                   TImageList* alpha = nullptr);
