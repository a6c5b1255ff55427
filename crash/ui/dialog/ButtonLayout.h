#pragma once
// Where the exception dialog puts its text and buttons: the action buttons
// (send, save, print, show) from the left, the continue, restart and close
// buttons to the right of them in the same row, or stacked at the right
// edge when more than one of them and at least one action button exist.
// The dialog is at least 664 pixels wide, limited by the screen. Pure
// geometry in client pixels; any thread.
#include <array>

#include "crash/ui/dialog/DialogRules.h"

struct TLayoutRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool Empty() const { return Width <= 0 || Height <= 0; }
};

struct TDialogLayoutInput {
  // Each button's width as its caption needs it; 0: the button is absent.
  std::array<int, kDialogButtonCount> ButtonWidths{};
  int ButtonHeight = 22;
  int TextLeft = 11;  // 51 with the picture at the left
  int TextHeight = 0;  // of the reflowed message at the dialog's width
  int MinWidth = 664;
  int MaxWidth = 0;  // the screen's width less five caption heights; 0: no limit
};

struct TDialogLayout {
  int ClientWidth = 0, ClientHeight = 0;
  TLayoutRect Picture;  // empty without one
  TLayoutRect Text;
  std::array<TLayoutRect, kDialogButtonCount> Buttons{};  // empty for absent buttons
  bool Stacked = false;
};

constexpr int kDialogMargin = 11;
constexpr int kButtonGap = 6;
constexpr int kPictureSize = 32;

TDialogLayout LayOutDialog(const TDialogLayoutInput& input);

// The simple box: the message, then "OK" and "Details" (each at least 79
// pixels wide, 23 high) at the bottom right.
struct TSimpleBoxInput {
  int OkWidth = 0, DetailsWidth = 0;  // as their captions need; 0: absent
  int TextLeft = 11;
  int TextWidth = 0, TextHeight = 0;
};
TDialogLayout LayOutSimpleBox(const TSimpleBoxInput& input);
