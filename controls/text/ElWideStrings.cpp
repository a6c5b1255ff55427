#include "controls/text/ElWideStrings.h"

#include <utility>
#include <vector>

#include "framework/Exception.h"

int WideCompareOrdinal(const WideString& a, const WideString& b) {
  // c_str() guarantees a terminating zero, so the walk needs no length.
  const char16_t* p = a.c_str();
  const char16_t* q = b.c_str();
  while (*p != 0 && *p == *q) {
    ++p;
    ++q;
  }
  // char16_t is unsigned: U+FFFF sorts after U+0041.
  return static_cast<int>(*p) - static_cast<int>(*q);
}

namespace {
[[noreturn]] void AbstractError() { throw EAbstractError("Abstract error"); }
}  // namespace

void TElWideStrings::IndexError(int index) {
  throw EStringListError(FormatMessage("List index out of bounds (%d)", index));
}

void TElWideStrings::SortedListError() {
  throw EStringListError("Operation not allowed on sorted list");
}

void TElWideStrings::DuplicateError() {
  throw EStringListError("String list does not allow duplicates");
}

void TElWideStrings::Assign(TPersistent* source) {
  if (auto* strings = dynamic_cast<TElWideStrings*>(source)) {
    // Clearing first would leave nothing to copy.
    if (strings == this) return;
    InUpdate([&] {
      Clear();
      AddStrings(*strings);
    });
    return;
  }
  TPersistent::Assign(source);
}

void TElWideStrings::AssignTo(TPersistent* dest) {
  if (auto* strings = dynamic_cast<TElWideStrings*>(dest)) {
    strings->Assign(this);
    return;
  }
  TPersistent::AssignTo(dest);
}

WideString TElWideStrings::Get(int /*index*/) const { AbstractError(); }

int TElWideStrings::GetCapacity() const { return GetCount(); }

int TElWideStrings::GetCount() const { AbstractError(); }

void* TElWideStrings::GetObject(int /*index*/) const { return nullptr; }

void TElWideStrings::Put(int index, const WideString& s) {
  void* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TElWideStrings::PutObject(int /*index*/, void* /*object*/) {}

void TElWideStrings::SetCapacity(int /*newCapacity*/) {}

void TElWideStrings::SetUpdateState(bool /*updating*/) {}

int TElWideStrings::Add(const WideString& s) {
  const int result = GetCount();
  Insert(result, s);
  return result;
}

int TElWideStrings::AddObject(const WideString& s, void* object) {
  const int result = Add(s);
  PutObject(result, object);
  return result;
}

void TElWideStrings::AddStrings(const TElWideStrings& strings) {
  InUpdate([&] {
    if (&strings == this) {
      // Adding to ourselves moves the items we read from (a sorted list
      // inserts in the middle): copy them first.
      std::vector<std::pair<WideString, void*>> items;
      const int count = GetCount();
      items.reserve(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i) items.emplace_back(Get(i), GetObject(i));
      for (auto& item : items) AddObject(item.first, item.second);
      return;
    }
    const int count = strings.GetCount();
    for (int i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
  });
}

void TElWideStrings::Clear() { AbstractError(); }

void TElWideStrings::Delete(int /*index*/) { AbstractError(); }

void TElWideStrings::Exchange(int index1, int index2) {
  InUpdate([&] {
    void* tempObject = GetObject(index1);
    WideString tempString = Get(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, tempString);
    PutObject(index2, tempObject);
  });
}

int TElWideStrings::IndexOf(const WideString& s) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (WideCompareOrdinal(Get(i), s) == 0) return i;
  return -1;
}

void TElWideStrings::Insert(int /*index*/, const WideString& /*s*/) { AbstractError(); }

void TElWideStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  InUpdate([&] {
    WideString tempString = Get(curIndex);
    void* tempObject = GetObject(curIndex);
    Delete(curIndex);
    try {
      Insert(newIndex, tempString);
    } catch (...) {
      // A bad destination must not cost the item: put it back where it was.
      try {
        InsertObject(curIndex, tempString, tempObject);
      } catch (...) {
      }
      throw;
    }
    PutObject(newIndex, tempObject);
  });
}

void TElWideStrings::Append(const WideString& s) { Add(s); }

void TElWideStrings::InsertObject(int index, const WideString& s, void* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TElWideStrings::IndexOfObject(void* object) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

void TElWideStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TElWideStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}
