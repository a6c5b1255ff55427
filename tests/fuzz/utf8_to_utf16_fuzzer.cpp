// UTF-8 to UTF-16 on arbitrary bytes: no crash or out-of-bounds read, a known
// result, an output no longer than the input (plus the mark), the strict
// output a prefix of the lenient one, and a faithful round trip on success.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/ElStrUtils.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool StartsWith(const WideString& s, const WideString& prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);

  // Every offset, with exactly the bytes that remain: the check must not read
  // past them.
  for (size_t i = 0; i < size; ++i) isLegalUTF8Sequence(data + i, size - i);

  WideString strict, lenient;
  const ConversionResult strictResult = ConvertUTF8toUTF16(source, strict, strictConversion, false);
  const ConversionResult lenientResult = ConvertUTF8toUTF16(source, lenient, lenientConversion, false);
  for (ConversionResult r : {strictResult, lenientResult})
    Check(r == conversionOK || r == sourceExhausted || r == sourceIllegal);
  Check(strict.size() <= size && lenient.size() <= size);
  Check(StartsWith(lenient, strict));
  if (strictResult != sourceIllegal) Check(lenientResult == strictResult && lenient == strict);

  if (strictResult == conversionOK) {
    std::string back;
    Check(ConvertUTF16toUTF8(strict, back, strictConversion, false) == conversionOK);
    Check(back == source);
  }
  if (lenientResult == conversionOK) {
    // Encoded surrogates may pair up, so compare on the UTF-16 side.
    std::string back;
    WideString again;
    Check(ConvertUTF16toUTF8(lenient, back, lenientConversion, false) == conversionOK);
    Check(back.size() <= 3 * lenient.size());
    Check(ConvertUTF8toUTF16(back, again, lenientConversion, false) == conversionOK);
    Check(again == lenient);
  }

  // The mark only ever goes in front of what the plain conversion gives.
  WideString marked;
  Check(ConvertUTF8toUTF16(source, marked, lenientConversion, true) == lenientResult);
  const WideString mark(1, u'\xFEFF');
  Check(marked == (StartsWith(lenient, mark) ? lenient : mark + lenient));

  const WideString text = ConvertUTF8String(source);
  // Marked text loses its mark, unless the mark is all there is.
  if (size >= 3 && source.compare(0, 3, "\xEF\xBB\xBF") == 0 && strictResult != sourceIllegal)
    Check(strict == mark ? text == mark : mark + text == strict);
  return 0;
}
