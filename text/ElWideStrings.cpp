#include "text/ElWideStrings.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "text/ElStrUtils.h"
#include "framework/Exception.h"
#include "framework/Filer.h"
#include "framework/Stream.h"
#include "framework/Strings.h"
#include "framework/TextLines.h"
#include "platform/CodePage.h"

int WideCompareOrdinal(const WideString& a, const WideString& b) { return CompareWideStr(a, b); }

namespace {
[[noreturn]] void AbstractError() { throw EAbstractError("Abstract error"); }
}  // namespace

void TElWideStrings::IndexError(int index) {
  throw EStringListError(FormatMessage("List index out of bounds (%d)", index));
}

void TElWideStrings::SortedListError() {
  throw EStringListError("Operation not allowed on sorted list");
}

void TElWideStrings::DuplicateError() {
  throw EStringListError("String list does not allow duplicates");
}

void TElWideStrings::Assign(TPersistent* source) {
  if (auto* strings = dynamic_cast<TElWideStrings*>(source)) {
    // Clearing first would leave nothing to copy.
    if (strings == this) return;
    InUpdate([&] {
      Clear();
      AddStrings(*strings);
    });
    return;
  }
  if (auto* strings = dynamic_cast<TStrings*>(source)) {
    // Item for item rather than through the Text form: an item holding a line
    // break stays one item, and each object stays with its own string also
    // when a sorted list puts the items in another order.
    InUpdate([&] {
      Clear();
      const int count = strings->GetCount();
      for (int i = 0; i < count; ++i) AddObject(NarrowToWide(strings->Get(i)), strings->GetObject(i));
    });
    return;
  }
  TPersistent::Assign(source);
}

void TElWideStrings::AssignTo(TPersistent* dest) {
  if (auto* strings = dynamic_cast<TElWideStrings*>(dest)) {
    strings->Assign(this);
    return;
  }
  if (auto* strings = dynamic_cast<TStrings*>(dest)) {
    strings->BeginUpdate();
    try {
      strings->Clear();
      const int count = GetCount();
      for (int i = 0; i < count; ++i) strings->AddObject(WideToNarrow(Get(i)), GetObject(i));
    } catch (...) {
      strings->EndUpdate();
      throw;
    }
    strings->EndUpdate();
    return;
  }
  TPersistent::AssignTo(dest);
}

// ---------------------------------------------------------------------------
// Form-resource data

void TElWideStrings::DefineProperties(TFiler* filer) {
  filer->DefineProperty(
      "Strings", [this](TReader& reader) { ReadData(reader); },
      [this](TWriter& writer) { WriteData(writer); },
      GetCount() > 0 || filer->Ancestor() != nullptr);
}

void TElWideStrings::ReadData(TReader& reader) {
  InUpdate([&] {
    Clear();
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
      switch (reader.NextValue()) {
        case vaWString:
          Add(reader.ReadWideString());
          break;
        case vaUTF8String: {
          // Strict: decoding stops at the first bad sequence, and the text
          // decoded before it is the item.
          WideString item;
          ConvertUTF8toUTF16(reader.ReadUTF8String(), item, strictConversion, false);
          Add(item);
          break;
        }
        case vaString:
        case vaLString:
          Add(NarrowToWide(reader.ReadString()));
          break;
        default:
          throw EReadError("Error while reading wide strings list");
      }
    }
    reader.ReadListEnd();
  });
}

void TElWideStrings::WriteData(TWriter& writer) const {
  writer.WriteListBegin();
  const int count = GetCount();
  for (int i = 0; i < count; ++i) writer.WriteWideString(Get(i));
  writer.WriteListEnd();
}

// ---------------------------------------------------------------------------
// Comparison, names and values

bool TElWideStrings::Equals(const TElWideStrings& other) const {
  const int count = GetCount();
  if (count != other.GetCount()) return false;
  for (int i = 0; i < count; ++i)
    if (WideCompareOrdinal(Get(i), other.Get(i)) != 0) return false;
  return true;
}

WideString TElWideStrings::GetName(int index) const {
  const WideString s = Get(index);
  const size_t equals = s.find(u'=');
  return equals == WideString::npos ? WideString() : s.substr(0, equals);
}

int TElWideStrings::IndexOfName(const WideString& name) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    const WideString s = Get(i);
    const size_t equals = s.find(u'=');
    if (equals != WideString::npos && WideCompareOrdinal(s.substr(0, equals), name) == 0) return i;
  }
  return -1;
}

WideString TElWideStrings::GetValue(const WideString& name) const {
  const int index = IndexOfName(name);
  if (index < 0) return WideString();
  // After the item's own "=": the ordinal match may have ended at a zero unit
  // of name, so name's length does not say where the value starts.
  const WideString s = Get(index);
  return s.substr(s.find(u'=') + 1);
}

void TElWideStrings::SetValue(const WideString& name, const WideString& value) {
  int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  const WideString item = name + u"=" + value;
  if (index >= 0) {
    Put(index, item);
    return;
  }
  const int countBefore = GetCount();
  index = Add(WideString());
  try {
    Put(index, item);
  } catch (...) {
    // A list that refuses Put (a sorted one) must not keep the empty item
    // added for the value.
    if (GetCount() > countBefore) {
      try {
        Delete(index);
      } catch (...) {
      }
    }
    throw;
  }
}

// ---------------------------------------------------------------------------
// Text forms

WideString TElWideStrings::GetTextStr() const {
  return JoinTextLines<char16_t>([this](int i) { return Get(i); }, GetCount());
}

void TElWideStrings::SetTextStr(const WideString& text) {
  InUpdate([&] {
    Clear();
    ForEachTextLine(text, [this](const WideString& line) { Add(line); });
  });
}

std::unique_ptr<char16_t[]> TElWideStrings::GetText() const {
  const WideString text = GetTextStr();
  auto buffer = std::make_unique<char16_t[]>(text.size() + 1);  // zeroed
  std::copy(text.begin(), text.end(), buffer.get());
  return buffer;
}

void TElWideStrings::SetText(const char16_t* text) {
  SetTextStr(text != nullptr ? WideString(text) : WideString());
}

namespace {
bool IsBlank(char16_t unit) { return unit >= 1 && unit <= 32; }

bool NeedsQuotes(const WideString& s) {
  for (char16_t unit : s)
    if (IsBlank(unit) || unit == u'"' || unit == u',') return true;
  return false;
}

void AppendQuoted(WideString& out, const WideString& s) {
  out += u'"';
  for (char16_t unit : s) {
    if (unit == u'"') out += u'"';
    out += unit;
  }
  out += u'"';
}
}  // namespace

WideString TElWideStrings::GetCommaText() const {
  const int count = GetCount();
  WideString result;
  for (int i = 0; i < count; ++i) {
    const WideString s = Get(i);
    // An empty last item is quoted too: bare, it would read back as the
    // trailing comma, which adds nothing, and the item would be lost.
    if (NeedsQuotes(s) || (s.empty() && i == count - 1))
      AppendQuoted(result, s);
    else
      result += s;
    result += u',';
  }
  if (!result.empty()) result.pop_back();
  return result;
}

void TElWideStrings::SetCommaText(const WideString& text) {
  InUpdate([&] {
    Clear();
    // c_str() ends in a zero unit, which also marks the end of the text.
    const char16_t* p = text.c_str();
    while (IsBlank(*p)) ++p;
    while (*p != 0) {
      WideString token;
      if (*p == u'"') {
        // Up to the closing mark, each doubled mark standing for one; without
        // a closing mark the token runs to the end of the text.
        ++p;
        while (*p != 0) {
          if (*p == u'"') {
            if (p[1] != u'"') {
              ++p;
              break;
            }
            ++p;
          }
          token += *p++;
        }
      } else {
        const char16_t* start = p;
        while (*p > 32 && *p != u',') ++p;
        token.assign(start, p);
      }
      Add(token);
      while (IsBlank(*p)) ++p;
      if (*p == u',') {
        do ++p;
        while (IsBlank(*p));
      }
    }
  });
}

// ---------------------------------------------------------------------------
// Streams and files

void TElWideStrings::LoadFromStream(TStream& stream) {
  InUpdate([&] {
    Clear();
    int64_t size = stream.Size() - stream.Position();
    if (size < 0) throw Exception("Invalid string header read from the stream");
    if (size == 0) return;
    if (static_cast<uint64_t>(size) > static_cast<uint64_t>(std::numeric_limits<std::ptrdiff_t>::max() / 2))
      throw EReadError(FormatMessage("Stream of %lld bytes is too large to load as text",
                                     static_cast<long long>(size)));
    uint8_t mark[2] = {0, 0};
    const size_t markBytes = stream.Read(mark, 2);
    const unsigned m = markBytes == 2 ? (mark[0] | (mark[1] << 8)) : 0;
    if (m == 0xFEFF || m == 0xFFFE) {
      const bool swap = m == 0xFFFE;
      // A trailing odd byte is no unit and is dropped.
      const size_t units = static_cast<size_t>(size - 2) / 2;
      std::string bytes(units * 2, '\0');
      stream.ReadBuffer(&bytes[0], bytes.size());
      WideString text(units, u'\0');
      for (size_t i = 0; i < units; ++i) {
        const auto lo = static_cast<uint8_t>(bytes[2 * i]);
        const auto hi = static_cast<uint8_t>(bytes[2 * i + 1]);
        text[i] = static_cast<char16_t>(swap ? (lo << 8) | hi : (hi << 8) | lo);
      }
      size_t start = 0;
      while (start < text.size() && (text[start] == 0xFEFF || text[start] == 0xFFFE)) ++start;
      SetTextStr(text.substr(start));
      return;
    }
    // No mark: the bytes read belong to the narrow text.
    stream.Seek(-static_cast<int64_t>(markBytes), soCurrent);
    std::string narrow(static_cast<size_t>(size), '\0');
    stream.ReadBuffer(&narrow[0], narrow.size());
    SetTextStr(NarrowToWide(narrow));
  });
}

void TElWideStrings::SaveToStream(TStream& stream) const {
  const NarrowString text = WideToNarrow(GetTextStr());
  stream.WriteBuffer(text.data(), text.size());
}

void TElWideStrings::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TElWideStrings::SaveToFile(const std::string& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

WideString TElWideStrings::Get(int /*index*/) const { AbstractError(); }

int TElWideStrings::GetCapacity() const { return GetCount(); }

int TElWideStrings::GetCount() const { AbstractError(); }

void* TElWideStrings::GetObject(int /*index*/) const { return nullptr; }

void TElWideStrings::Put(int index, const WideString& s) {
  void* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TElWideStrings::PutObject(int /*index*/, void* /*object*/) {}

void TElWideStrings::SetCapacity(int /*newCapacity*/) {}

void TElWideStrings::SetUpdateState(bool /*updating*/) {}

int TElWideStrings::Add(const WideString& s) {
  const int result = GetCount();
  Insert(result, s);
  return result;
}

int TElWideStrings::AddObject(const WideString& s, void* object) {
  const int result = Add(s);
  PutObject(result, object);
  return result;
}

void TElWideStrings::AddStrings(const TElWideStrings& strings) {
  InUpdate([&] {
    if (&strings == this) {
      // Adding to ourselves moves the items we read from (a sorted list
      // inserts in the middle): copy them first.
      std::vector<std::pair<WideString, void*>> items;
      const int count = GetCount();
      items.reserve(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i) items.emplace_back(Get(i), GetObject(i));
      for (auto& item : items) AddObject(item.first, item.second);
      return;
    }
    const int count = strings.GetCount();
    for (int i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
  });
}

void TElWideStrings::Clear() { AbstractError(); }

void TElWideStrings::Delete(int /*index*/) { AbstractError(); }

void TElWideStrings::Exchange(int index1, int index2) {
  InUpdate([&] {
    void* tempObject = GetObject(index1);
    WideString tempString = Get(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, tempString);
    PutObject(index2, tempObject);
  });
}

int TElWideStrings::IndexOf(const WideString& s) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (WideCompareOrdinal(Get(i), s) == 0) return i;
  return -1;
}

void TElWideStrings::Insert(int /*index*/, const WideString& /*s*/) { AbstractError(); }

void TElWideStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  InUpdate([&] {
    WideString tempString = Get(curIndex);
    void* tempObject = GetObject(curIndex);
    Delete(curIndex);
    try {
      Insert(newIndex, tempString);
    } catch (...) {
      // A bad destination must not cost the item: put it back where it was.
      try {
        InsertObject(curIndex, tempString, tempObject);
      } catch (...) {
      }
      throw;
    }
    PutObject(newIndex, tempObject);
  });
}

void TElWideStrings::Append(const WideString& s) { Add(s); }

void TElWideStrings::InsertObject(int index, const WideString& s, void* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TElWideStrings::IndexOfObject(void* object) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

void TElWideStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TElWideStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}
