#pragma once
// The wide string list that stores its items: one contiguous array of string
// and object pairs, change notifications, and an optional sorted mode that
// keeps the items in ascending ordinal order.
#include <functional>
#include <memory>
#include <string>

#include "text/ElWideStrings.h"

// What Add does with a string already present in a sorted list.
enum TDuplicates : unsigned char { dupIgnore = 0, dupAccept = 1, dupError = 2 };

struct TWideStringItem {
  WideString FString;
  void* FObject = nullptr;  // never owned
};

class TElWideStringList;

// Given the list and two item indexes; negative, zero or positive.
using TElWideStringListSortCompare =
    std::function<int(TElWideStringList* list, int index1, int index2)>;

class TElWideStringList : public TElWideStrings {
 public:
  TElWideStringList() = default;
  // Destruction notifies nobody.
  ~TElWideStringList() override;

  std::string ClassName() const override { return "TElWideStringList"; }

  WideString Get(int index) const override;
  // The stored string itself, for readers that must not pay for a copy; valid
  // until the list changes.
  const WideString& StringAt(int index) const;
  int GetCapacity() const override;
  int GetCount() const override;
  void* GetObject(int index) const override;
  void Put(int index, const WideString& s) override;
  void PutObject(int index, void* object) override;
  // Fewer slots than items are never allocated: the request is raised to Count.
  void SetCapacity(int newCapacity) override;

 protected:
  void SetUpdateState(bool updating) override;

 public:
  int Add(const WideString& s) override;
  void Clear() override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  int IndexOf(const WideString& s) const override;
  void Insert(int index, const WideString& s) override;
  // Refused on a sorted list, where the re-insertion could never succeed.
  void Move(int curIndex, int newIndex) override;

  virtual void SetSorted(bool value);

 protected:
  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int index, const WideString& s);

 public:
  virtual void CustomSort(const TElWideStringListSortCompare& compare);
  // Bisection over the items, which it assumes sorted. index receives the
  // position of an equal item (the first one with dupAccept) or, when none is
  // found, the position where s belongs.
  virtual bool Find(const WideString& s, int& index) const;
  virtual void Sort();

  // Property accessors.
  bool Sorted() const { return FSorted; }
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates value) { FDuplicates = value; }

 protected:
  void Grow();
  // Swaps two items; no checks, no notification.
  void ExchangeItems(int index1, int index2);
  void QuickSort(int l, int r, const TElWideStringListSortCompare& compare);

 private:
  // Raises the index error unless 0 <= index < FCount.
  void CheckIndex(int index) const;

  TDuplicates FDuplicates = dupIgnore;

 public:
  TNotifyEvent OnChange;    // after a change
  TNotifyEvent OnChanging;  // before a change

 private:
  bool FSorted = false;
  int FCapacity = 0;
  int FCount = 0;
  // FCapacity slots; the first FCount are live, the rest hold empty strings
  // and null objects.
  std::unique_ptr<TWideStringItem[]> FList;
};
