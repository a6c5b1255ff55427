#pragma once
// Where a button edit's buttons sit inside its client area and what is left
// for the text: a pure function of the client size, the border inset and
// the buttons' widths and visibility.
#include "controls/base/ElAlignment.h"

// taLeftJustify or taRightJustify: which side the alternate button keeps.
using TLeftRight = TAlignment;

struct TElBoxRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TElBoxRect& other) const {
    return Left == other.Left && Top == other.Top && Right == other.Right && Bottom == other.Bottom;
  }
};

struct TElButtonEditLayoutInput {
  int ClientWidth = 0;
  int ClientHeight = 0;
  int Inset = 0;  // the thin border's width inside the client area, or 0
  bool Multiline = false;
  bool MainVisible = true;
  int MainWidth = 0;
  bool AltVisible = false;
  int AltWidth = 0;
  TLeftRight AltPosition = taRightJustify;
};

struct TElButtonEditLayout {
  TElBoxRect Main;  // meaningful only when the main button is visible
  TElBoxRect Alt;   // likewise for the alternate button
  TElBoxRect Text;
};

TElButtonEditLayout LayOutButtonEdit(const TElButtonEditLayoutInput& in);
