#include "controls/base/win32/ElStyleValues.h"

#include <cctype>
#include <cstdlib>
#include <utility>

#include "framework/Exception.h"

namespace {

[[noreturn]] void Invalid(const std::string& property, const std::string& value) {
  throw EConvertError("Invalid value \"" + value + "\" for " + property);
}

bool SameText(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != 0; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && b[i] == 0;
}

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Digits in base only, the whole text, within 32 bits.
bool ParseNumber(const std::string& digits, int base, long long& result) {
  if (digits.empty() || digits.size() > 10) return false;
  char* end = nullptr;
  result = std::strtoll(digits.c_str(), &end, base);
  return end == digits.c_str() + digits.size() && digits[0] != '-' && digits[0] != '+';
}

const std::pair<const char*, TColor> ColorNames[] = {
    {"clBlack", clBlack},         {"clWhite", clWhite},
    {"clMaroon", 0x000080},       {"clGreen", 0x008000},
    {"clOlive", 0x008080},        {"clNavy", 0x800000},
    {"clPurple", 0x800080},       {"clTeal", 0x808000},
    {"clGray", 0x808080},         {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},          {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},       {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},      {"clAqua", 0xFFFF00},
    {"clNone", clNone},           {"clScrollBar", clScrollBar},
    {"clBtnFace", clBtnFace},     {"clBtnShadow", clBtnShadow},
    {"clBtnHighlight", clBtnHighlight}, {"cl3DDkShadow", cl3DDkShadow},
    {"clBtnText", clBtnText},     {"clWindow", clWindow},
    {"clWindowText", clWindowText}, {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText}, {"clInfoBk", clInfoBk},
    {"clInfoText", clInfoText},   {"clGrayText", clGrayText},
};

}  // namespace

TColor StyleColor(const std::string& property, const std::string& value) {
  const std::string text = Trimmed(value);
  for (const auto& named : ColorNames)
    if (SameText(text, named.first)) return named.second;
  long long number = 0;
  if (!text.empty() && text[0] == '$' && ParseNumber(text.substr(1), 16, number) && number <= 0xFFFFFFFFLL)
    return static_cast<TColor>(static_cast<unsigned>(number));
  if (text.size() == 7 && text[0] == '#' && ParseNumber(text.substr(1), 16, number)) {
    const unsigned rgb = static_cast<unsigned>(number);
    return static_cast<TColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
  }
  if (ParseNumber(text, 10, number) && number <= 0xFFFFFFFFLL)
    return static_cast<TColor>(static_cast<unsigned>(number));
  Invalid(property, value);
}

bool StyleBoolean(const std::string& property, const std::string& value) {
  const std::string text = Trimmed(value);
  if (SameText(text, "True")) return true;
  if (SameText(text, "False")) return false;
  Invalid(property, value);
}

int StyleInteger(const std::string& property, const std::string& value) {
  std::string text = Trimmed(value);
  const bool negative = !text.empty() && text[0] == '-';
  long long number = 0;
  if (!ParseNumber(negative ? text.substr(1) : text, 10, number) || number > 0x7FFFFFFFLL)
    Invalid(property, value);
  return static_cast<int>(negative ? -number : number);
}

TFontStyles StyleFontStyles(const std::string& property, const std::string& value) {
  TFontStyles styles = 0;
  size_t start = 0;
  const std::string text = Trimmed(value);
  while (start <= text.size() && !text.empty()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string name = Trimmed(text.substr(start, comma - start));
    if (SameText(name, "fsBold"))
      styles |= fsBold;
    else if (SameText(name, "fsItalic"))
      styles |= fsItalic;
    else if (SameText(name, "fsUnderline"))
      styles |= fsUnderline;
    else if (SameText(name, "fsStrikeOut"))
      styles |= fsStrikeOut;
    else
      Invalid(property, value);
    start = comma + 1;
  }
  return styles;
}

int StyleEnum(const std::string& property, const std::string& value,
              std::initializer_list<const char*> names) {
  const std::string text = Trimmed(value);
  int index = 0;
  for (const char* name : names) {
    if (SameText(text, name)) return index;
    ++index;
  }
  Invalid(property, value);
}
