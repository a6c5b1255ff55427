#include "controls/edit/ElTextPainter.h"

#include <algorithm>

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

WideString TElTextPainter::Displayed(const WideString& raw) const {
  WideString result;
  result.reserve(raw.size());
  for (char16_t c : raw) {
    if (FPasswordChar != 0 && c != u'\r' && c != u'\n')
      result.push_back(FPasswordChar);
    else if (c == u'\t')
      result.append(static_cast<std::size_t>(FTabSpaces), u' ');
    else
      result.push_back(c);
  }
  return result;
}

int TElTextPainter::TextWidth(const WideString& raw) const {
  if (raw.empty()) return 0;
  return TextSize(Displayed(raw)).cx;
}

// Raw characters of raw whose displayed cells all fit into width.
int TElTextPainter::FitRaw(int width, const WideString& raw) const {
  if (raw.empty() || width <= 0) return 0;
  const WideString shown = Displayed(raw);
  const int fitShown = GetTextExtentExPoint(shown, width);
  int used = 0;
  int count = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const bool tab = raw[i] == u'\t' && FPasswordChar == 0;
    used += tab ? FTabSpaces : 1;
    if (used > fitShown) break;
    count = static_cast<int>(i) + 1;
  }
  return count;
}

// Only a window of the text is measured, doubled until the fit ends inside
// it, so a long paragraph costs in proportion to what fits, not its length.
int TElTextPainter::CharsFitRight(int width, const WideString& text, int startIndex) const {
  const int size = static_cast<int>(text.size());
  if (startIndex < 0) startIndex = 0;
  if (startIndex >= size) return 0;
  int n = 0;
  for (int window = 64;; window *= 2) {
    const int count = std::min(window, size - startIndex);
    n = FitRaw(width, text.substr(static_cast<std::size_t>(startIndex), static_cast<std::size_t>(count)));
    if (n < count || count == size - startIndex) break;
  }
  // Half a pair is no character.
  const int end = startIndex + n;
  if (n > 0 && end < size && IsLowSurrogate(text[static_cast<std::size_t>(end)]) &&
      IsHighSurrogate(text[static_cast<std::size_t>(end - 1)]))
    --n;
  return n;
}

int TElTextPainter::CharsFitLeft(int width, const WideString& text, int endIndex) const {
  const int size = static_cast<int>(text.size());
  if (endIndex > size) endIndex = size;
  if (endIndex <= 0) return 0;
  int n = 0;
  for (int window = 64;; window *= 2) {
    const int count = std::min(window, endIndex);
    const WideString backwards(text.rbegin() + (size - endIndex), text.rbegin() + (size - endIndex) + count);
    n = FitRaw(width, backwards);
    if (n < count || count == endIndex) break;
  }
  const int start = endIndex - n;
  if (n > 0 && start > 0 && IsLowSurrogate(text[static_cast<std::size_t>(start)]) &&
      IsHighSurrogate(text[static_cast<std::size_t>(start - 1)]))
    --n;
  return n;
}
