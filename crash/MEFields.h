#pragma once
// An ordered list of (name, content) pairs: the header fields and sections of
// a bug report, and the extra fields of the settings.
// Any thread may use a list: every access locks it, since the report's
// completion thread writes sections while the dialog reads the text.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class IMEFields {
 public:
  virtual ~IMEFields() = default;
  virtual int Count() const = 0;
  virtual std::string Name(int index) const = 0;
  virtual std::string Content(int index) const = 0;
  // -1 when absent; names compare case-insensitively.
  virtual int IndexOf(const std::string& name) const = 0;
  // The content of name, empty when absent.
  virtual std::string Get(const std::string& name) const = 0;
  // Replaces an existing pair's content in place, else adds the pair; an
  // empty content (after stripping control characters) removes it.
  virtual void Add(const std::string& name, const std::string& content) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual int InsertIndex() const = 0;
  virtual void SetInsertIndex(int index) = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  // Every pair at one moment, for readers that walk the whole list while
  // another thread may change it.
  virtual std::vector<std::pair<std::string, std::string>> Items() const = 0;
};

class TIMEFields : public IMEFields {
 public:
  // Runs after every change, once per outermost update bracket, outside the
  // list's lock, on the thread that made the change. Set it before sharing
  // the list.
  std::function<void()> OnChange;

  int Count() const override;
  std::string Name(int index) const override;
  std::string Content(int index) const override;
  int IndexOf(const std::string& name) const override;
  std::string Get(const std::string& name) const override;
  void Add(const std::string& name, const std::string& content) override;
  void Delete(int index) override;
  void Clear() override;
  int InsertIndex() const override;
  void SetInsertIndex(int index) override;
  void BeginUpdate() override;
  void EndUpdate() override;
  std::vector<std::pair<std::string, std::string>> Items() const override;

 private:
  struct TPair {
    std::string name, content;
  };
  int IndexOfLocked(const std::string& name) const;
  void DeleteLocked(int index);
  // Under the lock: whether the change callback is due now.
  bool ChangedLocked();
  void Notify(bool due);

  mutable std::mutex FLock;
  std::vector<TPair> FItems;
  int FInsertIndex = 0;
  int FUpdateCount = 0;
  bool FChangedInUpdate = false;
};

// "a=1|b=2" and back: items split at "|", each at its first "=".
void ParseFieldsText(const std::string& text, IMEFields& fields);
std::string FieldsText(const IMEFields& fields);

// Strips leading and trailing control characters; blanks remain.
std::string StripControls(const std::string& text);
