#pragma once
// Text measurement for the edit control, behind an abstract painter so that
// the model runs on any platform. Main thread only: a painter belongs to one
// edit and is used while that edit lays out or draws.
#include "controls/base/ElLayoutGeometry.h"
#include "platform/WideString.h"

struct TElTextExtent {
  int cx = 0;
  int cy = 0;
};

// The painter's rectangles are the control set's layout rectangles.
using TElTextRect = TElLayoutRect;

class TElTextPainter {
 public:
  virtual ~TElTextPainter() = default;

  // Primitives, on text exactly as given (already masked and expanded).
  virtual TElTextExtent TextSize(const WideString& text) const = 0;
  // How many code units from the start of text fit into maxWidth pixels.
  virtual int GetTextExtentExPoint(const WideString& text, int maxWidth) const = 0;
  virtual void ExtTextOut(int x, int y, const TElTextRect& clip, const WideString& text) = 0;

  // The edit keeps these in step with its own properties.
  int TabSpaces() const { return FTabSpaces; }
  void SetTabSpaces(int value) { if (value > 0) FTabSpaces = value; }
  char16_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char16_t value) { FPasswordChar = value; }

  // Raw text as it is shown: masked (CR and LF kept), then tabs expanded.
  WideString Displayed(const WideString& raw) const;
  // Width in pixels of the displayed form of raw.
  int TextWidth(const WideString& raw) const;
  // Raw characters that fit into width, rightwards from startIndex or
  // leftwards from endIndex; a tab counts as TabSpaces expanded characters and
  // fits only whole. A surrogate pair fits only whole.
  int CharsFitRight(int width, const WideString& text, int startIndex) const;
  int CharsFitLeft(int width, const WideString& text, int endIndex) const;

 private:
  int FitRaw(int width, const WideString& raw) const;

  int FTabSpaces = 4;
  char16_t FPasswordChar = 0;
};
