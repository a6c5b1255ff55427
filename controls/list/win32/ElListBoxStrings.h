#pragma once
// The rows of the control set's list box: a wide string list bound to its
// list box, which keeps the native list in step with it (one empty
// placeholder entry per item, in the same position). A change the native
// list or a change handler refuses raises and leaves both lists as they
// were. Main thread only, like its list box.
#include "text/ElWideStringList.h"

class TCustomElListBox;

class TElListBoxStrings : public TElWideStringList {
 public:
  explicit TElListBoxStrings(TCustomElListBox* listBox) : FListBox(listBox) {}
  std::string ClassName() const override { return "TElListBoxStrings"; }

  TCustomElListBox* ListBox() const { return FListBox; }
  bool Updating() const { return FUpdateCount > 0; }

  int Add(const WideString& s) override;
  // Raises EOutOfResources "Unable to insert a line" when no row was added.
  int AddObject(const WideString& s, void* object) override;
  void Insert(int index, const WideString& s) override;
  void Delete(int index) override;
  void Clear() override;
  // The two rows, their check states and image indexes change places; the
  // current row follows its text.
  void Exchange(int index1, int index2) override;
  // The row moves, the check states and image indexes at the two positions
  // change places, and the current row follows its text.
  void Move(int curIndex, int newIndex) override;

 protected:
  void InsertItem(int index, const WideString& s) override;
  void SetUpdateState(bool updating) override;
  void Changed() override;

 private:
  void WindowNeeded();

  TCustomElListBox* FListBox;
  bool FInserting = false;  // the change under way is a row inserted
};
