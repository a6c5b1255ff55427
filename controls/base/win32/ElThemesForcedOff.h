#pragma once
// The test build's switch that makes themes unavailable for as long as an
// object of this class lives, so that tests see the classic look and every
// "no theme" path on a machine that has a theme. The program never uses it.
// Main thread of the tests only; controls made while it lives should be
// destroyed before it ends.
#include "controls/base/win32/ElThemeLibrary.h"

class TElThemesForcedOff {
 public:
  TElThemesForcedOff() { TElThemeLibrary::SetForcedOff(true); }
  ~TElThemesForcedOff() { TElThemeLibrary::SetForcedOff(false); }
  TElThemesForcedOff(const TElThemesForcedOff&) = delete;
  TElThemesForcedOff& operator=(const TElThemesForcedOff&) = delete;
};
