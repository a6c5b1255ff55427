#include "crash/MEFields.h"

#include "crash/TextItems.h"


namespace {
bool IsControl(char c) { return static_cast<unsigned char>(c) < 32; }
}  // namespace

std::string StripControls(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsControl(text[first])) ++first;
  while (last > first && IsControl(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::string TIMEFields::Name(int index) const {
  std::lock_guard<std::mutex> guard(FLock);
  return index >= 0 && index < static_cast<int>(FItems.size()) ? FItems[static_cast<size_t>(index)].name
                                                                 : std::string();
}

std::string TIMEFields::Content(int index) const {
  std::lock_guard<std::mutex> guard(FLock);
  return index >= 0 && index < static_cast<int>(FItems.size()) ? FItems[static_cast<size_t>(index)].content
                                                                 : std::string();
}

int TIMEFields::Count() const {
  std::lock_guard<std::mutex> guard(FLock);
  return static_cast<int>(FItems.size());
}

int TIMEFields::IndexOfLocked(const std::string& name) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (SameNameNoCase(FItems[i].name, name)) return static_cast<int>(i);
  return -1;
}

int TIMEFields::IndexOf(const std::string& name) const {
  std::lock_guard<std::mutex> guard(FLock);
  return IndexOfLocked(name);
}

std::string TIMEFields::Get(const std::string& name) const {
  std::lock_guard<std::mutex> guard(FLock);
  const int index = IndexOfLocked(name);
  return index >= 0 ? FItems[static_cast<size_t>(index)].content : std::string();
}

void TIMEFields::Add(const std::string& name, const std::string& content) {
  const std::string stripped = StripControls(content);
  bool due = false;
  {
    std::lock_guard<std::mutex> guard(FLock);
    const int index = IndexOfLocked(name);
    const int count = static_cast<int>(FItems.size());
    if (stripped.empty()) {
      if (index < 0) return;
      DeleteLocked(index);
    } else if (index >= 0) {
      FItems[static_cast<size_t>(index)].content = stripped;
    } else if (FInsertIndex > 0 && FInsertIndex <= count) {
      FItems.insert(FItems.begin() + FInsertIndex, TPair{name, stripped});
      ++FInsertIndex;  // later additions keep their order
    } else {
      FItems.push_back(TPair{name, stripped});
    }
    due = ChangedLocked();
  }
  Notify(due);
}

void TIMEFields::DeleteLocked(int index) {
  FItems.erase(FItems.begin() + index);
  if (index < FInsertIndex) --FInsertIndex;
}

void TIMEFields::Delete(int index) {
  bool due = false;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (index < 0 || index >= static_cast<int>(FItems.size())) return;
    DeleteLocked(index);
    due = ChangedLocked();
  }
  Notify(due);
}

void TIMEFields::Clear() {
  bool due = false;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FItems.empty()) return;
    FItems.clear();
    FInsertIndex = 0;
    due = ChangedLocked();
  }
  Notify(due);
}

int TIMEFields::InsertIndex() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FInsertIndex;
}

void TIMEFields::SetInsertIndex(int index) {
  std::lock_guard<std::mutex> guard(FLock);
  FInsertIndex = index;
}

void TIMEFields::BeginUpdate() {
  std::lock_guard<std::mutex> guard(FLock);
  ++FUpdateCount;
}

void TIMEFields::EndUpdate() {
  bool due = false;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedInUpdate) {
      FChangedInUpdate = false;
      due = true;
    }
  }
  Notify(due);
}

std::vector<std::pair<std::string, std::string>> TIMEFields::Items() const {
  std::lock_guard<std::mutex> guard(FLock);
  std::vector<std::pair<std::string, std::string>> items;
  items.reserve(FItems.size());
  for (const TPair& pair : FItems) items.emplace_back(pair.name, pair.content);
  return items;
}

bool TIMEFields::ChangedLocked() {
  if (FUpdateCount == 0) return true;
  FChangedInUpdate = true;
  return false;
}

void TIMEFields::Notify(bool due) {
  if (due && OnChange) OnChange();
}

void ParseFieldsText(const std::string& text, IMEFields& fields) {
  fields.BeginUpdate();
  for (const std::string& item : SplitText(text, '|')) {
    const size_t equals = item.find('=');
    if (equals != std::string::npos) fields.Add(item.substr(0, equals), item.substr(equals + 1));
  }
  fields.EndUpdate();
}

std::string FieldsText(const IMEFields& fields) {
  std::vector<std::string> items;
  for (const auto& [name, content] : fields.Items()) items.push_back(name + '=' + content);
  return JoinText(items, '|');
}
