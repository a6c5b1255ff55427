#pragma once
// The system's two text types. A wide string is UTF-16 with value semantics;
// an empty and a null wide string are the same value. A narrow string holds
// text in the system code page.
#include <string>

using WideString = std::u16string;
using NarrowString = std::string;

// Wide literal from an ASCII narrow literal, for texts composed in code.
inline WideString WideFromAscii(const char* text) {
  WideString result;
  for (; *text; ++text) result.push_back(static_cast<unsigned char>(*text));
  return result;
}
