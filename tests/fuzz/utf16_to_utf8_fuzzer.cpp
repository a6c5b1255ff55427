// UTF-16 to UTF-8 on arbitrary units (the input read as little-endian pairs
// of bytes): no crash, only the results the conversion can give, an output
// within three bytes per unit (plus the mark), the strict output a prefix of
// the lenient one, and a faithful round trip on success.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/ElStrUtils.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WideString source;
  for (size_t i = 0; i + 1 < size; i += 2)
    source.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

  std::string strict, lenient;
  const ConversionResult strictResult = ConvertUTF16toUTF8(source, strict, strictConversion, false);
  // Lenient conversion takes every unpaired surrogate alone and never stops.
  Check(ConvertUTF16toUTF8(source, lenient, lenientConversion, false) == conversionOK);
  Check(strictResult == conversionOK || strictResult == sourceIllegal);
  Check(lenient.size() <= 3 * source.size());
  Check(lenient.compare(0, strict.size(), strict) == 0 && strict.size() <= lenient.size());
  if (strictResult == conversionOK) Check(strict == lenient);

  WideString back;
  Check(ConvertUTF8toUTF16(lenient, back, lenientConversion, false) == conversionOK);
  Check(back == source);
  if (strictResult == conversionOK && (source.empty() || !IsHighSurrogate(source.back()))) {
    // Without a lone surrogate the output is well-formed UTF-8 throughout.
    Check(ConvertUTF8toUTF16(strict, back, strictConversion, false) == conversionOK);
    Check(back == source);
  }

  std::string marked;
  Check(ConvertUTF16toUTF8(source, marked, strictConversion, true) == strictResult);
  const std::string mark = "\xEF\xBB\xBF";
  Check(marked == (strict.compare(0, 3, mark) == 0 ? strict : mark + strict));
  return 0;
}
