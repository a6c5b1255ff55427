#include "controls/list/ElKeyboardInput.h"

bool TElKeyboardInput::Feed(char16_t c) {
  if (c == u'\b') {
    if (FBuffer.empty()) return false;
    FBuffer.pop_back();
    return true;
  }
  if (c < 0x20 || c == 0x7F) return false;
  FBuffer.push_back(c);
  return true;
}

void TElKeyboardInput::FeedText(const WideString& text) {
  for (char16_t c : text) Feed(c);
}
