#include "controls/list/win32/ElListBoxStrings.h"

#include "controls/list/win32/ElListBox.h"

void TElListBoxStrings::WindowNeeded() {
  // A list box not yet placed on a window gets its placeholders when its
  // window is made.
  if (FListBox->Parent() != nullptr) FListBox->HandleNeeded();
}

int TElListBoxStrings::Add(const WideString& s) {
  WindowNeeded();
  return TElWideStringList::Add(s);
}

int TElListBoxStrings::AddObject(const WideString& s, void* object) {
  const int countBefore = GetCount();
  const int index = Add(s);
  if (index < 0) throw EOutOfResources("Unable to insert a line");
  // A sorted list that ignores a duplicate keeps the object of the row it has.
  if (GetCount() > countBefore) PutObject(index, object);
  return index;
}

void TElListBoxStrings::Insert(int index, const WideString& s) {
  WindowNeeded();
  TElWideStringList::Insert(index, s);
}

// The placeholder goes in first: a refusal of the native list then changes
// nothing, and a refusal of the list (a change handler that raises) takes the
// placeholder out again unless the row stayed in.
void TElListBoxStrings::InsertItem(int index, const WideString& s) {
  const int countBefore = GetCount();
  if (index < 0 || index > countBefore) IndexError(index);
  const bool native = FListBox->HandleAllocated();
  if (native) FListBox->InsertPlaceholder(index);
  FInserting = true;
  try {
    TElWideStringList::InsertItem(index, s);
  } catch (...) {
    FInserting = false;
    if (native && GetCount() == countBefore) FListBox->DeleteString(index);
    throw;
  }
  FInserting = false;
  if (native) FListBox->RowInserted(index);
}

void TElListBoxStrings::Delete(int index) {
  const int countBefore = GetCount();
  if (index < 0 || index >= countBefore) IndexError(index);
  try {
    TElWideStringList::Delete(index);
  } catch (...) {
    if (GetCount() < countBefore) FListBox->DeleteString(index);
    throw;
  }
  FListBox->DeleteString(index);
}

void TElListBoxStrings::Clear() {
  try {
    TElWideStringList::Clear();
  } catch (...) {
    if (GetCount() == 0) FListBox->ResetContent();
    throw;
  }
  FListBox->ResetContent();
}

void TElListBoxStrings::Exchange(int index1, int index2) {
  if (index1 == index2) return;
  InUpdate([&] {
    TElWideStringList::Exchange(index1, index2);
    FListBox->StatesMoved(index1, index2);
    const int current = FListBox->ItemIndex();
    if (current == index1)
      FListBox->SetItemIndex(index2);
    else if (current == index2)
      FListBox->SetItemIndex(index1);
  });
}

// The placeholders are all alike, so only the list changes: a move cannot
// fail half-way and lose the row.
void TElListBoxStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (Sorted()) SortedListError();
  const int count = GetCount();
  if (curIndex < 0 || curIndex >= count) IndexError(curIndex);
  if (newIndex < 0 || newIndex >= count) IndexError(newIndex);
  InUpdate([&] {
    const int current = FListBox->ItemIndex();
    Changing();
    const int step = newIndex > curIndex ? 1 : -1;
    for (int i = curIndex; i != newIndex; i += step) ExchangeItems(i, i + step);
    Changed();
    FListBox->StatesMoved(curIndex, newIndex);
    if (current == curIndex) FListBox->SetItemIndex(newIndex);
  });
}

void TElListBoxStrings::SetUpdateState(bool updating) {
  if (FListBox->HandleAllocated()) {
    FListBox->FlushStream();
    SendMessageW(FListBox->Handle(), WM_SETREDRAW, updating ? FALSE : TRUE, 0);
  }
  TElWideStringList::SetUpdateState(updating);
  if (!updating && FListBox->HandleAllocated()) FListBox->Repaint();
}

void TElListBoxStrings::Changed() {
  if (FUpdateCount == 0) FListBox->ItemsChange(FInserting);
  TElWideStringList::Changed();
}
