#pragma once
// The framework's narrow string list: TStrings, the abstract list that builds
// its composite operations from a few primitives, and TStringList, which
// stores the items. Each item carries one pointer-sized object that the list
// stores and returns but never owns. Strings are compared ordinally (byte by
// byte, case-sensitive).
#include <string>
#include <utility>
#include <vector>

#include "framework/Persistent.h"
#include "framework/UpdateBracket.h"

class TStrings : public TPersistent {
 public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;
  std::string ClassName() const override { return "TStrings"; }

  // From another TStrings: its strings and objects replace ours, in one update
  // bracket. Other sources go to the framework's assignment.
  void Assign(TPersistent* source) override;

  // Primitives.
  virtual std::string Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual void* GetObject(int /*index*/) const { return nullptr; }
  virtual void Put(int index, const std::string& s);
  virtual void PutObject(int /*index*/, void* /*object*/) {}
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  // Composites.
  virtual int Add(const std::string& s);
  virtual int AddObject(const std::string& s, void* object);
  virtual void AddStrings(const TStrings& strings);
  virtual int IndexOf(const std::string& s) const;
  void InsertObject(int index, const std::string& s, void* object);
  int IndexOfObject(void* object) const;
  bool Equals(const TStrings& other) const;

  // The Text form: every item followed by CR LF; setting it cuts the text at
  // CR LF, CR or LF (a zero byte ends it) into new items, in one bracket.
  virtual std::string GetTextStr() const;
  virtual void SetTextStr(const std::string& text);
  std::string Text() const { return GetTextStr(); }

  // Update brackets nest; only the outermost one reaches SetUpdateState.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  int Count() const { return GetCount(); }
  std::string Strings(int index) const { return Get(index); }
  void* Objects(int index) const { return GetObject(index); }

 protected:
  void AssignTo(TPersistent* dest) override;
  // Called when the outermost update bracket opens (true) and closes (false).
  virtual void SetUpdateState(bool /*updating*/) {}

  // Runs body inside an update bracket that is closed also when body throws.
  template <class Body>
  void InUpdate(Body&& body) {
    InUpdateBracket(*this, std::forward<Body>(body));
  }

  // EStringListError "List index out of bounds (%d)".
  [[noreturn]] static void IndexError(int index);

 private:
  int FUpdateCount = 0;
};

class TStringList : public TStrings {
 public:
  TStringList() = default;
  // Destruction notifies nobody.
  ~TStringList() override;
  std::string ClassName() const override { return "TStringList"; }

  std::string Get(int index) const override;
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  void* GetObject(int index) const override;
  void Put(int index, const std::string& s) override;
  void PutObject(int index, void* object) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;

  TNotifyEvent OnChange;    // after a change
  TNotifyEvent OnChanging;  // before a change

 protected:
  void SetUpdateState(bool updating) override;
  virtual void Changed();
  virtual void Changing();

 private:
  void CheckIndex(int index) const;

  std::vector<std::pair<std::string, void*>> FItems;
};
