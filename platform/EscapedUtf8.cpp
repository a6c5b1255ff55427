#include "platform/EscapedUtf8.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid sequence at bytes[i] and its code point; 0 when the byte
// there does not start a valid, shortest-form, non-surrogate sequence.
size_t DecodeSequence(const std::string& bytes, size_t i, char32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  size_t length;
  char32_t minimum;
  if (lead < 0x80) { code = lead; return 1; }
  if (lead >= 0xC2 && lead <= 0xDF) { length = 2; minimum = 0x80; code = lead & 0x1F; }
  else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; minimum = 0x800; code = lead & 0x0F; }
  else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; minimum = 0x10000; code = lead & 0x07; }
  else return 0;
  if (bytes.size() - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[i + k]);
    if (!IsContinuation(next)) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void AppendCodePoint(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

WideString DecodeEscapedUtf8(const std::string& bytes) {
  WideString result;
  result.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    char32_t code = 0;
    const size_t length = DecodeSequence(bytes, i, code);
    if (length == 0) {
      result.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i])));
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(code));
    }
    i += length;
  }
  return result;
}

std::string EncodeEscapedUtf8(const WideString& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      const char32_t code = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      AppendCodePoint(result, code);
      ++i;
    } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
      result.push_back(static_cast<char>(unit - 0xDC00));
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendCodePoint(result, kReplacement);
    } else {
      AppendCodePoint(result, unit);
    }
  }
  return result;
}
