#pragma once
// The typed text of the list box's incremental search: characters as the
// keyboard layout produced them (the platform combines dead keys before they
// arrive here) are appended, Backspace takes the last one back, and other
// control characters (Tab, Enter, Escape, ...) add nothing. Platform-neutral;
// the thread of its list box.
#include "platform/WideString.h"

class TElKeyboardInput {
 public:
  // Applies one typed character; true when the buffer changed.
  bool Feed(char16_t c);
  // Applies each character of a composed text.
  void FeedText(const WideString& text);
  const WideString& Buffer() const { return FBuffer; }
  void Clear() { FBuffer.clear(); }

 private:
  WideString FBuffer;
};
