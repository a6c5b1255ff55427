#pragma once
// Reading the text values of style properties. Each raises EConvertError
// naming the property and the value it cannot read. Any thread.
#include <string>

#include "framework/win32/Graphics.h"

// "clBtnFace" and the other colour names, "$00BBGGRR" or "#RRGGBB", or a
// decimal number.
TColor StyleColor(const std::string& property, const std::string& value);
// "True" or "False", in any letter case.
bool StyleBoolean(const std::string& property, const std::string& value);
int StyleInteger(const std::string& property, const std::string& value);
// A comma-separated list of fsBold, fsItalic, fsUnderline, fsStrikeOut; may be empty.
TFontStyles StyleFontStyles(const std::string& property, const std::string& value);
// One of the names, given in order; its index.
int StyleEnum(const std::string& property, const std::string& value,
              std::initializer_list<const char*> names);
