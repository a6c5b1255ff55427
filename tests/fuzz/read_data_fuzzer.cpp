// ReadData of arbitrary bytes into a wide string list: it either reads a value
// list or raises EReadError; the list then holds what was read, and its update
// bracket is closed. Half of the runs read into a sorted list that refuses
// duplicates, which fails with EStringListError instead.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "text/ElWideStringList.h"
#include "framework/Exception.h"
#include "framework/Filer.h"
#include "framework/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool sorted = (data[0] & 1) != 0;
  TCustomMemoryStream stream(data + 1, size - 1);
  TReader reader(stream);
  TElWideStringList list;
  int changing = 0, change = 0;
  list.OnChanging = [&](TObject*) { ++changing; };
  list.OnChange = [&](TObject*) { ++change; };
  if (sorted) {
    list.SetDuplicates(dupError);
    list.SetSorted(true);
  }
  bool ok = true;
  try {
    list.ReadData(reader);
  } catch (const EReadError&) {
    ok = false;
  } catch (const EStringListError&) {
    if (!sorted) std::abort();
    ok = false;
  }
  // One bracket, closed whatever happened.
  if (changing != 1 || change != 1) std::abort();
  if (ok) {
    // What was read writes out and reads back to the same items.
    TMemoryStream out;
    TWriter writer(out);
    list.WriteData(writer);
    out.SetPosition(0);
    TReader again(out);
    TElWideStringList back;
    back.ReadData(again);
    if (!back.Equals(list)) std::abort();
  }
  return 0;
}
