#include "text/ElWideStringList.h"

#include <algorithm>
#include <utility>

namespace {
// Frees the string's buffer; assigning an empty string may keep it.
void Release(TWideStringItem& item) {
  WideString().swap(item.FString);
  item.FObject = nullptr;
}
}  // namespace

TElWideStringList::~TElWideStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TElWideStringList::CheckIndex(int index) const {
  if (index < 0 || index >= FCount) IndexError(index);
}

// The primitives that change an item check its index again after Changing: a
// handler that shrinks the list must not make them write past the live items.

WideString TElWideStringList::Get(int index) const { return StringAt(index); }

const WideString& TElWideStringList::StringAt(int index) const {
  CheckIndex(index);
  return FList[index].FString;
}

int TElWideStringList::GetCapacity() const { return FCapacity; }

int TElWideStringList::GetCount() const { return FCount; }

void* TElWideStringList::GetObject(int index) const {
  CheckIndex(index);
  return FList[index].FObject;
}

void TElWideStringList::Put(int index, const WideString& s) {
  if (FSorted) SortedListError();
  CheckIndex(index);
  WideString value = s;
  Changing();
  CheckIndex(index);
  FList[index].FString.swap(value);
  Changed();
}

void TElWideStringList::PutObject(int index, void* object) {
  CheckIndex(index);
  Changing();
  CheckIndex(index);
  FList[index].FObject = object;
  Changed();
}

void TElWideStringList::SetCapacity(int newCapacity) {
  newCapacity = std::max(newCapacity, FCount);
  if (newCapacity == FCapacity) return;
  std::unique_ptr<TWideStringItem[]> list;
  if (newCapacity > 0) {
    list = std::make_unique<TWideStringItem[]>(static_cast<size_t>(newCapacity));
    std::move(FList.get(), FList.get() + FCount, list.get());
  }
  FList = std::move(list);
  FCapacity = newCapacity;
}

void TElWideStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

int TElWideStringList::Add(const WideString& s) {
  int index = FCount;
  if (FSorted && Find(s, index)) {
    switch (FDuplicates) {
      case dupIgnore:
        return index;
      case dupError:
        DuplicateError();
      case dupAccept:
        break;
    }
  }
  InsertItem(index, s);
  return index;
}

void TElWideStringList::Clear() {
  if (FCount == 0) return;
  Changing();
  for (int i = 0; i < FCount; ++i) Release(FList[i]);
  FCount = 0;
  SetCapacity(0);
  Changed();
}

void TElWideStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  CheckIndex(index);
  TWideStringItem* items = FList.get();
  Release(items[index]);
  --FCount;
  std::move(items + index + 1, items + FCount + 1, items + index);
  Release(items[FCount]);
  Changed();
}

void TElWideStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  CheckIndex(index1);
  CheckIndex(index2);
  ExchangeItems(index1, index2);
  Changed();
}

int TElWideStringList::IndexOf(const WideString& s) const {
  if (!FSorted) return TElWideStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

void TElWideStringList::Insert(int index, const WideString& s) {
  if (FSorted) SortedListError();
  if (index < 0 || index > FCount) IndexError(index);
  InsertItem(index, s);
}

void TElWideStringList::Move(int curIndex, int newIndex) {
  if (curIndex != newIndex && FSorted) SortedListError();
  TElWideStrings::Move(curIndex, newIndex);
}

void TElWideStringList::SetSorted(bool value) {
  if (value == FSorted) return;
  // Sort refuses a list that already counts as sorted.
  if (value) Sort();
  FSorted = value;
}

// The handler is called through a copy: it may replace or clear the event
// while it runs.
void TElWideStringList::Changed() {
  if (FUpdateCount != 0 || !OnChange) return;
  const TNotifyEvent handler = OnChange;
  handler(this);
}

void TElWideStringList::Changing() {
  if (FUpdateCount != 0 || !OnChanging) return;
  const TNotifyEvent handler = OnChanging;
  handler(this);
}

void TElWideStringList::InsertItem(int index, const WideString& s) {
  // Copy before anything changes, so a failing copy leaves the list as it was.
  TWideStringItem item{s, nullptr};
  Changing();
  if (index < 0 || index > FCount) IndexError(index);
  if (FCount == FCapacity) Grow();
  TWideStringItem* items = FList.get();
  std::move_backward(items + index, items + FCount, items + FCount + 1);
  items[index] = std::move(item);
  ++FCount;
  Changed();
}

void TElWideStringList::CustomSort(const TElWideStringListSortCompare& compare) {
  if (FSorted || FCount <= 1) return;
  Changing();
  try {
    QuickSort(0, FCount - 1, compare);
  } catch (...) {
    // The items may already have moved: whoever saw Changing must see Changed.
    Changed();
    throw;
  }
  Changed();
}

bool TElWideStringList::Find(const WideString& s, int& index) const {
  int lo = 0;
  int hi = FCount - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = WideCompareOrdinal(FList[mid].FString, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        // With duplicates accepted, go on to the first of the equal items.
        if (FDuplicates != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TElWideStringList::Sort() {
  CustomSort([](TElWideStringList* list, int index1, int index2) {
    return WideCompareOrdinal(list->FList[index1].FString, list->FList[index2].FString);
  });
}

void TElWideStringList::Grow() {
  int delta = 4;
  if (FCapacity > 64)
    delta = FCapacity / 4;
  else if (FCapacity > 8)
    delta = 16;
  SetCapacity(FCapacity + delta);
}

void TElWideStringList::ExchangeItems(int index1, int index2) {
  TWideStringItem& a = FList[index1];
  TWideStringItem& b = FList[index2];
  a.FString.swap(b.FString);
  std::swap(a.FObject, b.FObject);
}

// Hoare partition around the item at p, which follows its item through the
// exchanges; recursion on the left part, iteration on the right. compare must
// be consistent, or the scans run past the range.
void TElWideStringList::QuickSort(int l, int r, const TElWideStringListSortCompare& compare) {
  int i;
  do {
    i = l;
    int j = r;
    int p = l + (r - l) / 2;
    do {
      while (compare(this, i, p) < 0) ++i;
      while (compare(this, j, p) > 0) --j;
      if (i <= j) {
        ExchangeItems(i, j);
        if (p == i)
          p = j;
        else if (p == j)
          p = i;
        ++i;
        --j;
      }
    } while (i <= j);
    if (l < j) QuickSort(l, j, compare);
    l = i;
  } while (i < r);
}
