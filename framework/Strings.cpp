#include "framework/Strings.h"

#include "framework/Exception.h"
#include "framework/TextLines.h"

// ---------------------------------------------------------------------------
// TStrings

void TStrings::IndexError(int index) {
  throw EStringListError(FormatMessage("List index out of bounds (%d)", index));
}

void TStrings::Assign(TPersistent* source) {
  if (auto* strings = dynamic_cast<TStrings*>(source)) {
    // Clearing first would leave nothing to copy.
    if (strings == this) return;
    InUpdate([&] {
      Clear();
      AddStrings(*strings);
    });
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::AssignTo(TPersistent* dest) {
  if (auto* strings = dynamic_cast<TStrings*>(dest)) {
    strings->Assign(this);
    return;
  }
  TPersistent::AssignTo(dest);
}

void TStrings::Put(int index, const std::string& s) {
  void* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

int TStrings::Add(const std::string& s) {
  const int result = GetCount();
  Insert(result, s);
  return result;
}

int TStrings::AddObject(const std::string& s, void* object) {
  const int result = Add(s);
  PutObject(result, object);
  return result;
}

void TStrings::AddStrings(const TStrings& strings) {
  InUpdate([&] {
    // Adding to ourselves: take the items first, the count changes as we go.
    const int count = strings.GetCount();
    std::vector<std::pair<std::string, void*>> items;
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) items.emplace_back(strings.Get(i), strings.GetObject(i));
    for (auto& item : items) AddObject(item.first, item.second);
  });
}

int TStrings::IndexOf(const std::string& s) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (Get(i) == s) return i;
  return -1;
}

void TStrings::InsertObject(int index, const std::string& s, void* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TStrings::IndexOfObject(void* object) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

bool TStrings::Equals(const TStrings& other) const {
  const int count = GetCount();
  if (count != other.GetCount()) return false;
  for (int i = 0; i < count; ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

std::string TStrings::GetTextStr() const {
  return JoinTextLines<char>([this](int i) { return Get(i); }, GetCount());
}

void TStrings::SetTextStr(const std::string& text) {
  InUpdate([&] {
    Clear();
    ForEachTextLine(text, [this](std::string line) { Add(line); });
  });
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

// ---------------------------------------------------------------------------
// TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) IndexError(index);
}

// The primitives that change an item check its index again after Changing: a
// handler that shrinks the list must not make them write past the items.

std::string TStringList::Get(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].first;
}

void* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].second;
}

void TStringList::Put(int index, const std::string& s) {
  CheckIndex(index);
  std::string value = s;
  Changing();
  CheckIndex(index);
  FItems[static_cast<size_t>(index)].first.swap(value);
  Changed();
}

void TStringList::PutObject(int index, void* object) {
  CheckIndex(index);
  Changing();
  CheckIndex(index);
  FItems[static_cast<size_t>(index)].second = object;
  Changed();
}

void TStringList::Insert(int index, const std::string& s) {
  if (index < 0 || index > GetCount()) IndexError(index);
  std::pair<std::string, void*> item(s, nullptr);
  Changing();
  if (index < 0 || index > GetCount()) IndexError(index);
  FItems.insert(FItems.begin() + index, std::move(item));
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  CheckIndex(index);
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  std::vector<std::pair<std::string, void*>>().swap(FItems);
  Changed();
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

// The handler is called through a copy: it may replace or clear the event
// while it runs.
void TStringList::Changed() {
  if (UpdateCount() != 0 || !OnChange) return;
  const TNotifyEvent handler = OnChange;
  handler(this);
}

void TStringList::Changing() {
  if (UpdateCount() != 0 || !OnChanging) return;
  const TNotifyEvent handler = OnChanging;
  handler(this);
}
