#pragma once
// The abstract wide string list: an ordered list of wide strings, each with one
// attached pointer-sized value (its object) that the list stores and returns
// but never owns, frees or dereferences. Descendants supply the storage through
// a few primitives (Get, GetCount, Clear, Delete, Insert, and optionally
// GetObject, PutObject, the capacity and SetUpdateState); every composite
// operation here is built from those, so a descendant that overrides a
// primitive sees every change go through it.
#include <string>

#include "framework/Persistent.h"
#include "platform/WideString.h"

// Ordinal comparison of the control set: unit by unit as unsigned 16-bit
// numbers, case-sensitive, no locale. Like the zero-terminated text it stands
// for, it stops at the first zero unit, so "a\0b" equals "a". Returns a
// negative number, 0 or a positive number.
int WideCompareOrdinal(const WideString& a, const WideString& b);

class TElWideStrings : public TPersistent {
 public:
  TElWideStrings() = default;
  TElWideStrings(const TElWideStrings&) = delete;
  TElWideStrings& operator=(const TElWideStrings&) = delete;
  ~TElWideStrings() override = default;

  std::string ClassName() const override { return "TElWideStrings"; }

  // From another wide string list: its strings and objects replace ours, in
  // one update bracket. Other sources go to the framework's assignment.
  void Assign(TPersistent* source) override;

  // Virtual operations, declared in slot order. Get, GetCount, Clear, Delete
  // and Insert must be overridden; here they raise EAbstractError.
  virtual WideString Get(int index) const;
  virtual int GetCapacity() const;
  virtual int GetCount() const;
  virtual void* GetObject(int index) const;
  virtual void Put(int index, const WideString& s);
  virtual void PutObject(int index, void* object);
  virtual void SetCapacity(int newCapacity);

 protected:
  // Called when the outermost update bracket opens (true) and closes (false).
  virtual void SetUpdateState(bool updating);

 public:
  virtual int Add(const WideString& s);
  virtual int AddObject(const WideString& s, void* object);
  virtual void AddStrings(const TElWideStrings& strings);
  virtual void Clear();
  virtual void Delete(int index);
  virtual void Exchange(int index1, int index2);
  virtual int IndexOf(const WideString& s) const;
  virtual void Insert(int index, const WideString& s);
  virtual void Move(int curIndex, int newIndex);

  void Append(const WideString& s);
  void InsertObject(int index, const WideString& s, void* object);
  int IndexOfObject(void* object) const;

  // Update brackets nest; only the outermost one reaches SetUpdateState.
  void BeginUpdate();
  void EndUpdate();

  // Property accessors.
  int Count() const { return GetCount(); }
  int Capacity() const { return GetCapacity(); }
  WideString Strings(int index) const { return Get(index); }
  void* Objects(int index) const { return GetObject(index); }

 protected:
  void AssignTo(TPersistent* dest) override;

  // Runs body inside an update bracket that is closed also when body throws.
  template <class Body>
  void InUpdate(Body&& body) {
    BeginUpdate();
    try {
      body();
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }

  // The list's errors, raised as EStringListError.
  [[noreturn]] static void IndexError(int index);
  [[noreturn]] static void SortedListError();
  [[noreturn]] static void DuplicateError();

  // Depth of nested update brackets, 0 when none is open.
  int FUpdateCount = 0;
};
