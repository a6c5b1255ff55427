#pragma once
// The abstract wide string list: an ordered list of wide strings, each with one
// attached pointer-sized value (its object) that the list stores and returns
// but never owns, frees or dereferences. Descendants supply the storage through
// a few primitives (Get, GetCount, Clear, Delete, Insert, and optionally
// GetObject, PutObject, the capacity and SetUpdateState); every composite
// operation here is built from those, so a descendant that overrides a
// primitive sees every change go through it.
#include <memory>
#include <string>

#include "framework/Persistent.h"
#include "framework/UpdateBracket.h"
#include "platform/WideString.h"

// Ordinal comparison of the control set: unit by unit as unsigned 16-bit
// numbers, case-sensitive, no locale. Like the zero-terminated text it stands
// for, it stops at the first zero unit, so "a\0b" equals "a". Returns a
// negative number, 0 or a positive number.
int WideCompareOrdinal(const WideString& a, const WideString& b);

class TReader;
class TStream;
class TWriter;

class TElWideStrings : public TPersistent {
 public:
  TElWideStrings() = default;
  TElWideStrings(const TElWideStrings&) = delete;
  TElWideStrings& operator=(const TElWideStrings&) = delete;
  ~TElWideStrings() override = default;

  std::string ClassName() const override { return "TElWideStrings"; }

  // From another wide string list, or from the framework's narrow TStrings
  // (each string converted from the system code page): its strings and
  // objects replace ours, item for item, in one update bracket. Other sources
  // go to the framework's assignment.
  void Assign(TPersistent* source) override;

  // Virtual operations, declared in slot order. Get, GetCount, Clear, Delete
  // and Insert must be overridden; here they raise EAbstractError.
  virtual WideString Get(int index) const;
  virtual int GetCapacity() const;
  virtual int GetCount() const;
  virtual void* GetObject(int index) const;
  // Every item followed by CR LF, the last one included.
  virtual WideString GetTextStr() const;
  virtual void Put(int index, const WideString& s);
  virtual void PutObject(int index, void* object);
  virtual void SetCapacity(int newCapacity);
  // In one update bracket: Clear, then one item per line; CR LF, a lone CR and
  // a lone LF each end a line, a final line break adds no empty item, and a
  // zero unit ends the text.
  virtual void SetTextStr(const WideString& text);

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
  // Text and a terminating zero in a new buffer that the caller owns.
  virtual std::unique_ptr<char16_t[]> GetText() const;
  virtual int IndexOf(const WideString& s) const;
  virtual void Insert(int index, const WideString& s);
  // The file name is narrow, in the system code page. Loading opens the file
  // with writing denied to others; saving creates or truncates it.
  virtual void LoadFromFile(const std::string& fileName);
  // From the stream's position to its end, in one update bracket: UTF-16 when
  // it starts with a byte-order mark (FF FE or FE FF), otherwise narrow text
  // in the system code page; then cut into lines as SetTextStr does. A
  // position beyond the end raises Exception "Invalid string header read from
  // the stream"; the list is then empty.
  virtual void LoadFromStream(TStream& stream);
  virtual void Move(int curIndex, int newIndex);
  virtual void SaveToFile(const std::string& fileName) const;
  // The Text form in the system code page, without header or terminating
  // zero; nothing for an empty list.
  virtual void SaveToStream(TStream& stream) const;
  // SetTextStr of the zero-terminated text at text; null counts as empty.
  virtual void SetText(const char16_t* text);

  void Append(const WideString& s);
  void InsertObject(int index, const WideString& s, void* object);
  int IndexOfObject(void* object) const;

  // Same count and equal strings (ordinal comparison); objects do not count.
  bool Equals(const TElWideStrings& other) const;

  // Items of the form name=value. A name is the part before the first "=";
  // items without one have no name and are passed over by the lookups.
  WideString GetName(int index) const;
  int IndexOfName(const WideString& name) const;
  WideString GetValue(const WideString& name) const;
  // A non-empty value replaces the named item's text with name=value, or adds
  // an item for it; an empty value deletes the named item.
  void SetValue(const WideString& name, const WideString& value);

  // Comma text: items separated by commas; an item that holds a blank or a
  // control character (units 1 to 32), a quotation mark or a comma is quoted,
  // its quotation marks doubled.
  WideString GetCommaText() const;
  void SetCommaText(const WideString& text);

  // Form-resource data of the property "Strings": a list of values, written
  // as wide strings; wide, UTF-8, short and long narrow strings are read. Any
  // other value raises EReadError and leaves the items read before it.
  void ReadData(TReader& reader);
  void WriteData(TWriter& writer) const;

  // Update brackets nest; only the outermost one reaches SetUpdateState.
  void BeginUpdate();
  void EndUpdate();

  // Property accessors.
  int Count() const { return GetCount(); }
  int Capacity() const { return GetCapacity(); }
  WideString Strings(int index) const { return Get(index); }
  void* Objects(int index) const { return GetObject(index); }
  WideString Text() const { return GetTextStr(); }
  WideString CommaText() const { return GetCommaText(); }
  WideString Names(int index) const { return GetName(index); }
  WideString Values(const WideString& name) const { return GetValue(name); }

 protected:
  // To another wide string list: its Assign. To the framework's narrow
  // TStrings: its items replaced by ours, each string converted to the system
  // code page, with their objects, in its update bracket.
  void AssignTo(TPersistent* dest) override;
  // Declares "Strings"; it is written when the list holds an item, and always
  // when the filer has an ancestor.
  void DefineProperties(TFiler* filer) override;

  // Runs body inside an update bracket that is closed also when body throws.
  template <class Body>
  void InUpdate(Body&& body) {
    InUpdateBracket(*this, std::forward<Body>(body));
  }

  // The list's errors, raised as EStringListError.
  [[noreturn]] static void IndexError(int index);
  [[noreturn]] static void SortedListError();
  [[noreturn]] static void DuplicateError();

  // Depth of nested update brackets, 0 when none is open.
  int FUpdateCount = 0;
};
