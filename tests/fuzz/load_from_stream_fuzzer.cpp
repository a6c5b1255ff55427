// LoadFromStream of arbitrary bytes, from an arbitrary position: UTF-16 with
// either mark or narrow text, cut into lines. Only a position beyond the end
// may fail; the update bracket is always closed; and the Text of the result
// loads back to the same items through its UTF-16 form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/ElWideStringList.h"
#include "framework/Exception.h"
#include "framework/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte is the position to load from; beyond the end is allowed.
  const int64_t position = data[0] % 8;
  TCustomMemoryStream stream(data + 1, size - 1);
  stream.SetPosition(position);
  TElWideStringList list;
  int changing = 0, change = 0;
  list.OnChanging = [&](TObject*) { ++changing; };
  list.OnChange = [&](TObject*) { ++change; };
  try {
    list.LoadFromStream(stream);
  } catch (const Exception&) {
    if (position <= static_cast<int64_t>(size - 1)) std::abort();  // only a bad position fails
    if (list.Count() != 0) std::abort();
  }
  if (changing != 1 || change != 1) std::abort();

  // Items never hold a line break or a zero unit, so the Text form saved as
  // UTF-16 with a mark loads back to the same items, except for marks at the
  // start of the first item, which loading removes.
  const WideString text = list.GetTextStr();
  std::string bytes("\xFF\xFE", 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  TCustomMemoryStream utf16(bytes.data(), bytes.size());
  TElWideStringList back;
  back.LoadFromStream(utf16);
  if (back.Count() != list.Count()) std::abort();
  for (int i = 0; i < list.Count(); ++i) {
    WideString expected = list.Get(i);
    if (i == 0) {
      size_t marks = 0;
      while (marks < expected.size() && (expected[marks] == 0xFEFF || expected[marks] == 0xFFFE)) ++marks;
      expected.erase(0, marks);
    }
    if (back.Get(i) != expected) std::abort();
  }
  return 0;
}
