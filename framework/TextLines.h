#pragma once
// The line structure of the string lists' Text form, shared by the narrow and
// the wide list: a line runs up to the next CR, LF or zero unit; one CR and
// then one LF after it are skipped. So CR LF, a lone CR and a lone LF each end
// a line, a final line break adds no empty line, and a zero unit ends the
// text.
#include <string>

template <class CharT, class AddLine>
void ForEachTextLine(const std::basic_string<CharT>& text, AddLine&& addLine) {
  // c_str() ends in a zero unit, which also marks the end of the text.
  const CharT* p = text.c_str();
  while (*p != 0) {
    const CharT* start = p;
    while (*p != 0 && *p != CharT('\r') && *p != CharT('\n')) ++p;
    addLine(std::basic_string<CharT>(start, p));
    if (*p == CharT('\r')) ++p;
    if (*p == CharT('\n')) ++p;
  }
}

// Every line followed by CR LF, the last one included.
template <class CharT, class Lines>
std::basic_string<CharT> JoinTextLines(const Lines& lines, int count) {
  std::basic_string<CharT> result;
  for (int i = 0; i < count; ++i) {
    result += lines(i);
    result += CharT('\r');
    result += CharT('\n');
  }
  return result;
}
