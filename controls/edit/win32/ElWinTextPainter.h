#pragma once
// The edit's text painter on the platform: it measures with the real font
// in a memory device context of its own, so a control without a window
// measures exactly as it will draw, and draws on the surface it is given.
// Main thread only, like the edit that owns it.
#include <windows.h>

#include "controls/edit/ElTextPainter.h"
#include "platform/win32/HandleOwners.h"

class TFont;

class TElWinTextPainter : public TElTextPainter {
 public:
  TElWinTextPainter();
  ~TElWinTextPainter() override;
  TElWinTextPainter(const TElWinTextPainter&) = delete;
  TElWinTextPainter& operator=(const TElWinTextPainter&) = delete;

  // Measures and draws with a copy of font from now on.
  void SetFont(TFont* font);
  // The surface ExtTextOut draws on, not owned; null draws nowhere.
  void SetTarget(HDC dc) { FTarget = dc; }
  HDC Target() const { return FTarget; }
  // The metrics of the current font.
  const TEXTMETRICW& TextMetrics() const { return FMetrics; }

  TElTextExtent TextSize(const WideString& text) const override;
  int GetTextExtentExPoint(const WideString& text, int maxWidth) const override;
  // Draws on the baseline y, clipped to clip, on a transparent background.
  void ExtTextOut(int x, int y, const TElTextRect& clip, const WideString& text) override;

 private:
  TCreatedDC FMeasure;
  TGdiObject<HFONT> FFont;
  HGDIOBJ FDefaultFont = nullptr;
  TEXTMETRICW FMetrics{};
  HDC FTarget = nullptr;
};
