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
  return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].name : std::string();
}

std::string TIMEFields::Content(int index) const {
  return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].content : std::string();
}

int TIMEFields::IndexOf(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameNameNoCase(FItems[static_cast<size_t>(i)].name, name)) return i;
  return -1;
}

std::string TIMEFields::Get(const std::string& name) const { return Content(IndexOf(name)); }

void TIMEFields::Add(const std::string& name, const std::string& content) {
  const std::string stripped = StripControls(content);
  const int index = IndexOf(name);
  if (stripped.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  if (index >= 0) {
    FItems[static_cast<size_t>(index)].content = stripped;
  } else if (FInsertIndex > 0 && FInsertIndex <= Count()) {
    FItems.insert(FItems.begin() + FInsertIndex, TPair{name, stripped});
    ++FInsertIndex;  // later additions keep their order
  } else {
    FItems.push_back(TPair{name, stripped});
  }
  Changed();
}

void TIMEFields::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  FItems.erase(FItems.begin() + index);
  if (index < FInsertIndex) --FInsertIndex;
  Changed();
}

void TIMEFields::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  FInsertIndex = 0;
  Changed();
}

void TIMEFields::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedInUpdate) {
    FChangedInUpdate = false;
    if (OnChange) OnChange();
  }
}

void TIMEFields::Changed() {
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
  } else if (OnChange) {
    OnChange();
  }
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
  for (int i = 0; i < fields.Count(); ++i) items.push_back(fields.Name(i) + '=' + fields.Content(i));
  return JoinText(items, '|');
}
