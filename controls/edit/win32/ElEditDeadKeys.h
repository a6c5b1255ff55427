#pragma once
// What a dead key followed by a letter types in the edit: the composition
// rules of the control set for accents the keyboard layouts of the time did
// not compose themselves. Any thread.
#include "platform/WideString.h"

enum class TElDeadKeyResult : unsigned char {
  None,           // the dead character composes nothing: the key types as usual
  Replace,        // text holds the composed letter, typed instead of the next character
  LayoutComposes, // the layout's next character already is the composed letter
  Both            // text holds the dead character and the letter, typed together
};

// deadChar: the 8-bit character of the dead key, deadWide: the same widened;
// letter: the translated key.
TElDeadKeyResult ElComposeDeadKey(unsigned char deadChar, char16_t deadWide, char16_t letter, WideString& text);
