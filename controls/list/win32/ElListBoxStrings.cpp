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

// The native entry goes first, so that a DeleteString of a descendant still
// finds the row in Items; a removal the list refuses gets its placeholder back.
void TElListBoxStrings::Delete(int index) {
  const int countBefore = GetCount();
  if (index < 0 || index >= countBefore) IndexError(index);
  FListBox->DeleteString(index);
  try {
    TElWideStringList::Delete(index);
  } catch (...) {
    if (GetCount() == countBefore && FListBox->HandleAllocated()) FListBox->InsertPlaceholder(index);
    if (GetCount() < countBefore) FListBox->RowDeleted();
    throw;
  }
  FListBox->RowDeleted();
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

// Removing and inserting again goes through Delete and Insert, so the native
// list's current row stays on the item it was on while the rows between shift;
// the native list drops the current row with its entry, so a current moved
// item is made current again where it went.
void TElListBoxStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  InUpdate([&] {
    const bool movingCurrent = FListBox->ItemIndex() == curIndex;
    TElWideStringList::Move(curIndex, newIndex);
    FListBox->StatesMoved(curIndex, newIndex);
    if (movingCurrent) FListBox->SetItemIndex(newIndex);
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
