#pragma once
// The control set's Unicode hint encoding. The framework carries hints as
// narrow strings; a control with a wide hint hands it over as the narrow
// text, one zero byte, the UTF-16LE text, a 16-bit zero and the bytes
// 0xFE 0xFF. Whoever only knows narrow hints sees the narrow text (it ends
// at the zero byte); whoever knows the encoding gets the wide text back.
// Threads: any.
#include <string>

#include "platform/WideString.h"

std::string EncodeUnicodeHint(const WideString& hint);
// The wide text of an encoded hint; false (wide untouched) for a hint that
// is not one: too short, without the end mark, or with sizes that disagree.
bool DecodeUnicodeHint(const std::string& hint, WideString& wide);
// What a narrow reader shows: the text up to the first zero byte.
std::string NarrowHintPart(const std::string& hint);
// The wide text of an encoded hint, or the narrow hint widened.
WideString HintToWide(const std::string& hint);
