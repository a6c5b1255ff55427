#include "framework/UnicodeHint.h"

#include <cstring>

#include "platform/CodePage.h"

std::string EncodeUnicodeHint(const WideString& hint) {
  std::string encoded = WideToNarrow(hint);
  // A narrow text with a zero of its own would hide where the wide part starts.
  encoded.resize(std::strlen(encoded.c_str()));
  encoded.push_back('\0');
  for (char16_t unit : hint) {
    encoded.push_back(static_cast<char>(unit & 0xFF));
    encoded.push_back(static_cast<char>(unit >> 8));
  }
  encoded.append("\0\0\xFE\xFF", 4);
  return encoded;
}

bool DecodeUnicodeHint(const std::string& hint, WideString& wide) {
  const size_t size = hint.size();
  if (size < 5 || static_cast<unsigned char>(hint[size - 2]) != 0xFE ||
      static_cast<unsigned char>(hint[size - 1]) != 0xFF || hint[size - 3] != '\0' || hint[size - 4] != '\0')
    return false;
  const size_t narrowLength = std::strlen(hint.c_str());
  const size_t wideBytes = size - narrowLength - 5;
  if (narrowLength + 5 > size || wideBytes % 2 != 0) return false;
  WideString text;
  text.reserve(wideBytes / 2);
  for (size_t at = narrowLength + 1; at < narrowLength + 1 + wideBytes; at += 2)
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(hint[at]) |
                                         (static_cast<unsigned char>(hint[at + 1]) << 8)));
  wide = text;
  return true;
}

std::string NarrowHintPart(const std::string& hint) { return std::string(hint.c_str()); }

WideString HintToWide(const std::string& hint) {
  WideString wide;
  if (DecodeUnicodeHint(hint, wide)) return wide;
  return NarrowToWide(NarrowHintPart(hint));
}
