#pragma once
// File names on POSIX systems are bytes, usually but not always UTF-8. These
// conversions carry every byte string through a wide string and back exactly:
// each byte that is not part of a valid UTF-8 sequence becomes the lone
// surrogate U+DC00 + byte (U+DC80..U+DCFF) and is written back as that byte.
#include <string>

#include "platform/WideString.h"

WideString DecodeEscapedUtf8(const std::string& bytes);
// Lone surrogates outside U+DC80..U+DCFF, which no decoded name holds, are
// written as U+FFFD.
std::string EncodeEscapedUtf8(const WideString& text);

// The same conversions into a string the caller keeps, so that converting
// name after name reuses its storage.
void DecodeEscapedUtf8(const char* bytes, size_t size, WideString& result);
void EncodeEscapedUtf8(const WideString& text, std::string& result);
