#include "controls/edit/ElEditStrings.h"

#include <algorithm>

#include "controls/edit/ElEditorError.h"
#include "framework/Exception.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Pieces of s between line breaks: CR LF, a lone CR and a lone LF each
// separate two pieces, so n breaks give n + 1 pieces.
std::vector<WideString> SplitAtBreaks(const WideString& s) {
  std::vector<WideString> pieces(1);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
      pieces.emplace_back();
    } else {
      pieces.back().push_back(c);
    }
  }
  return pieces;
}

std::unique_ptr<TElParagraph> NewParagraph() {
  auto para = std::make_unique<TElParagraph>();
  para->Add(WideString());
  return para;
}

}  // namespace

WideString TElParagraph::Text() const {
  const int count = GetCount();
  if (count == 1) return StringAt(0);
  WideString text;
  for (int i = 0; i < count; ++i) text += StringAt(i);
  return text;
}

int TElParagraph::TextLength() const {
  int length = 0;
  for (int i = 0; i < GetCount(); ++i) length += static_cast<int>(StringAt(i).size());
  return length;
}

TElEditStrings::TElEditStrings(IElEditLayout* layout) : FLayout(layout) {}

TElEditStrings::~TElEditStrings() = default;

void TElEditStrings::CheckParagraph(int index) const {
  if (index < 0 || index >= ParagraphCount())
    throw EStringListError(FormatMessage("List index out of bounds (%d)", index));
}

TElParagraph& TElEditStrings::EnsureParagraph(int index) const {
  if (index == 0 && FParagraphs.empty()) {
    FParagraphs.push_back(NewParagraph());
    FParagraphs.back()->SetFirstRow(0);
  }
  CheckParagraph(index);
  return *FParagraphs[static_cast<std::size_t>(index)];
}

const TElParagraph& TElEditStrings::Paragraph(int index) const { return EnsureParagraph(index); }

WideString TElEditStrings::Get(int index) const { return EnsureParagraph(index).Text(); }

int TElEditStrings::GetCount() const { return ParagraphCount(); }

void TElEditStrings::Put(int index, const WideString& s) {
  EnsureParagraph(index);
  Changing();
  SetParagraphText(index, s);
  ReCount(index);
  Changed();
}

WideString TElEditStrings::GetTextStr() const {
  WideString text;
  for (std::size_t i = 0; i < FParagraphs.size(); ++i) {
    if (i > 0) text += u"\r\n";
    text += FParagraphs[i]->Text();
  }
  return text;
}

void TElEditStrings::SetTextStr(const WideString& text) { SetTextStr(text, false); }

void TElEditStrings::SetTextStr(const WideString& text, bool force) {
  if (force || text != GetTextStr()) {
    Changing();
    FParagraphs.clear();
    ResetLongest();
    if (FLayout->IsMultiline()) {
      SplitIntoParagraphs(text);
    } else {
      FParagraphs.push_back(std::make_unique<TElParagraph>());
      SetParagraphText(0, text);
    }
    ReCount(0);
    Changed();
  }
  FLayout->TextReplaced();
}

void TElEditStrings::SplitIntoParagraphs(const WideString& s) {
  const std::vector<WideString> pieces = SplitAtBreaks(s);
  FParagraphs.reserve(pieces.size());
  for (const WideString& piece : pieces) {
    FParagraphs.push_back(std::make_unique<TElParagraph>());
    SetParagraphText(ParagraphCount() - 1, piece);
  }
}

int TElEditStrings::Add(const WideString& s) {
  const int index = ParagraphCount();
  Insert(index, s);
  return index;
}

void TElEditStrings::AddStrings(const TElWideStrings& strings) {
  InUpdateBracket(*this, [&] {
    for (int i = 0; i < strings.GetCount(); ++i) Add(strings.Get(i));
  });
}

void TElEditStrings::Clear() {
  if (FParagraphs.empty()) return;
  Changing();
  FParagraphs.clear();
  ResetLongest();
  FLayout->ScrollInfoChanged();
  Changed();
}

void TElEditStrings::Delete(int index) {
  CheckParagraph(index);
  Changing();
  FParagraphs.erase(FParagraphs.begin() + index);
  if (FLongestIndex == index)
    RescanLongest();
  else if (FLongestIndex > index)
    --FLongestIndex;
  if (index < ParagraphCount()) ReCount(index);
  FLayout->ScrollInfoChanged();
  Changed();
}

void TElEditStrings::Exchange(int index1, int index2) {
  CheckParagraph(index1);
  CheckParagraph(index2);
  Changing();
  std::swap(FParagraphs[static_cast<std::size_t>(index1)], FParagraphs[static_cast<std::size_t>(index2)]);
  if (FLongestIndex == index1)
    FLongestIndex = index2;
  else if (FLongestIndex == index2)
    FLongestIndex = index1;
  // Every first row between the two may move.
  const int from = std::min(index1, index2);
  for (int i = from; i <= std::max(index1, index2); ++i) FParagraphs[static_cast<std::size_t>(i)]->SetFirstRow(-1);
  ReCount(from);
  Changed();
}

int TElEditStrings::IndexOf(const WideString& s) const {
  for (int i = 0; i < ParagraphCount(); ++i)
    if (WideCompareOrdinal(FParagraphs[static_cast<std::size_t>(i)]->Text(), s) == 0) return i;
  return -1;
}

bool TElEditStrings::Find(const WideString& s, int& index) const {
  int lo = 0;
  int hi = ParagraphCount() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = WideCompareOrdinal(FParagraphs[static_cast<std::size_t>(mid)]->Text(), s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (Duplicates() != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TElEditStrings::Insert(int index, const WideString& s) {
  if (!FLayout->IsMultiline()) return;
  if (index < 0 || index > ParagraphCount())
    throw EStringListError(FormatMessage("List index out of bounds (%d)", index));
  Changing();
  InsertParagraphs(index, s);
  ReCount(index);
  Changed();
}

void TElEditStrings::InsertParagraphs(int index, const WideString& s) {
  const std::vector<WideString> pieces = SplitAtBreaks(s);
  const int count = static_cast<int>(pieces.size());
  if (FLongestIndex >= index) FLongestIndex += count;
  std::vector<std::unique_ptr<TElParagraph>> fresh;
  fresh.reserve(pieces.size());
  for (std::size_t i = 0; i < pieces.size(); ++i) fresh.push_back(std::make_unique<TElParagraph>());
  FParagraphs.insert(FParagraphs.begin() + index, std::make_move_iterator(fresh.begin()),
                     std::make_move_iterator(fresh.end()));
  for (int i = 0; i < count; ++i) SetParagraphText(index + i, pieces[static_cast<std::size_t>(i)]);
}

void TElEditStrings::SetParagraphText(int index, const WideString& s) {
  WrapInto(*FParagraphs[static_cast<std::size_t>(index)], s);
  TrackLongest(index, s);
}

int TElEditStrings::GetParaCount() const {
  if (FParagraphs.empty()) return 0;
  const TElParagraph& last = *FParagraphs.back();
  return last.FirstRow() + last.GetCount();
}

TElParaRow TElEditStrings::IndexToParagraph(int row) const {
  if (FParagraphs.empty()) return {};
  int lo = 0;
  int hi = ParagraphCount() - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (FParagraphs[static_cast<std::size_t>(mid)]->FirstRow() <= row)
      lo = mid;
    else
      hi = mid - 1;
  }
  return {lo, row - FParagraphs[static_cast<std::size_t>(lo)]->FirstRow()};
}

WideString TElEditStrings::GetParaString(int row) const {
  if (FParagraphs.empty()) return WideString();
  const TElParaRow at = IndexToParagraph(row);
  return FParagraphs[static_cast<std::size_t>(at.Paragraph)]->Get(at.Row);
}

int TElEditStrings::RowLength(int row) const {
  if (FParagraphs.empty() || row < 0 || row >= GetParaCount()) return 0;
  const TElParaRow at = IndexToParagraph(row);
  return static_cast<int>(FParagraphs[static_cast<std::size_t>(at.Paragraph)]->Get(at.Row).size());
}

void TElEditStrings::SetParaString(int row, const WideString& s) {
  if (FParagraphs.empty() && row > 0) throw EElEditorError(FormatMessage("List index outbound (%d)", row));
  EnsureParagraph(0);
  const TElParaRow at = IndexToParagraph(row);
  TElParagraph& para = *FParagraphs[static_cast<std::size_t>(at.Paragraph)];
  Changing();
  para.Put(at.Row, s);
  ReformatParagraph(at.Paragraph);
  ReCount(at.Paragraph);
  Changed();
}

TElParaPos TElEditStrings::CaretToParagraph(int column, int row) const {
  EnsureParagraph(0);
  const int rows = GetParaCount();
  row = std::clamp(row, 0, rows - 1);
  const TElParaRow at = IndexToParagraph(row);
  const TElParagraph& para = *FParagraphs[static_cast<std::size_t>(at.Paragraph)];
  int offset = column;
  for (int r = 0; r < at.Row; ++r) offset += static_cast<int>(para.Get(r).size());
  return {at.Paragraph, std::clamp(offset, 0, para.TextLength())};
}

TElEditPoint TElEditStrings::CaretFromParagraph(int paragraph, int offset) const {
  const TElParagraph& para = EnsureParagraph(paragraph);
  offset = std::clamp(offset, 0, para.TextLength());
  int consumed = 0;
  const int last = para.GetCount() - 1;
  for (int r = 0; r <= last; ++r) {
    const int length = static_cast<int>(para.Get(r).size());
    if (consumed + length >= offset || r == last) return {offset - consumed, para.FirstRow() + r};
    consumed += length;
  }
  return {0, para.FirstRow()};
}

void TElEditStrings::InsertText(int& column, int& row, const WideString& text) {
  const TElParaPos at = CaretToParagraph(column, row);
  const WideString old = Get(at.Paragraph);
  const std::size_t offset = static_cast<std::size_t>(at.Offset);
  const std::size_t brk = text.find_first_of(u"\r\n");
  Changing();
  if (brk == WideString::npos) {
    SetParagraphText(at.Paragraph, old.substr(0, offset) + text + old.substr(offset));
    ReCount(at.Paragraph);
    Changed();
    const TElEditPoint end = CaretFromParagraph(at.Paragraph, at.Offset + static_cast<int>(text.size()));
    column = end.X;
    row = end.Y;
    return;
  }
  const WideString head = text.substr(0, brk);
  const bool crlf = text[brk] == u'\r' && brk + 1 < text.size() && text[brk + 1] == u'\n';
  const WideString after = text.substr(brk + (crlf ? 2 : 1));
  TElParaPos end{at.Paragraph, at.Offset + static_cast<int>(head.size())};
  if ((crlf || !after.empty()) && FLayout->IsMultiline()) {
    const WideString tail = old.substr(offset);
    const int before = ParagraphCount();
    SetParagraphText(at.Paragraph, old.substr(0, offset) + head);
    InsertParagraphs(at.Paragraph + 1, after + tail);
    const int tailParagraph = at.Paragraph + ParagraphCount() - before;
    end = {tailParagraph, static_cast<int>(Get(tailParagraph).size() - tail.size())};
  } else {
    // A single-line edit keeps what stood after the caret; a lone break that
    // ends the text is dropped.
    SetParagraphText(at.Paragraph, old.substr(0, offset) + head + old.substr(offset));
  }
  ReCount(at.Paragraph);
  Changed();
  const TElEditPoint result = CaretFromParagraph(end.Paragraph, end.Offset);
  column = result.X;
  row = result.Y;
}

void TElEditStrings::DeleteRange(TElParaPos from, TElParaPos to) {
  if (!(from < to)) return;
  Changing();
  const WideString first = Get(from.Paragraph);
  const WideString last = Get(to.Paragraph);
  const WideString joined = first.substr(0, static_cast<std::size_t>(from.Offset)) +
                            last.substr(static_cast<std::size_t>(to.Offset));
  bool longestRemoved = false;
  if (to.Paragraph > from.Paragraph) {
    FParagraphs.erase(FParagraphs.begin() + from.Paragraph + 1, FParagraphs.begin() + to.Paragraph + 1);
    const int removed = to.Paragraph - from.Paragraph;
    if (FLongestIndex > to.Paragraph) {
      FLongestIndex -= removed;
    } else if (FLongestIndex > from.Paragraph) {
      longestRemoved = true;
    }
  }
  SetParagraphText(from.Paragraph, joined);
  // The longest paragraph went away: find the longest again.
  if (longestRemoved) RescanLongest();
  ReCount(from.Paragraph);
  Changed();
}

WideString TElEditStrings::TextBetween(TElParaPos from, TElParaPos to) const {
  if (!(from < to)) return WideString();
  if (from.Paragraph == to.Paragraph)
    return Get(from.Paragraph).substr(static_cast<std::size_t>(from.Offset),
                                      static_cast<std::size_t>(to.Offset - from.Offset));
  WideString text = Get(from.Paragraph).substr(static_cast<std::size_t>(from.Offset));
  for (int p = from.Paragraph + 1; p < to.Paragraph; ++p) text += u"\r\n" + Get(p);
  text += u"\r\n" + Get(to.Paragraph).substr(0, static_cast<std::size_t>(to.Offset));
  return text;
}

int TElEditStrings::TextLength() const {
  if (FParagraphs.empty()) return 0;
  int length = 2 * (ParagraphCount() - 1);
  for (const auto& para : FParagraphs) length += para->TextLength();
  return length;
}

void TElEditStrings::Reformat() {
  ResetLongest();
  for (int i = 0; i < ParagraphCount(); ++i) {
    ReformatParagraph(i);
    // Every row count may have moved, so no first row can be trusted.
    FParagraphs[static_cast<std::size_t>(i)]->SetFirstRow(-1);
  }
  ReCount(0);
  FLayout->ScrollInfoChanged();
}

void TElEditStrings::ReformatParagraph(int index) {
  TElParagraph& para = EnsureParagraph(index);
  const WideString text = para.Text();
  WrapInto(para, text);
  TrackLongest(index, text);
}

void TElEditStrings::ReCount(int index) {
  if (FParagraphs.empty()) return;
  index = std::max(index, 0);
  int first = 0;
  if (index > 0) {
    const TElParagraph& prev = *FParagraphs[static_cast<std::size_t>(index - 1)];
    first = prev.FirstRow() + prev.GetCount();
  }
  for (int i = index; i < ParagraphCount(); ++i) {
    TElParagraph& para = *FParagraphs[static_cast<std::size_t>(i)];
    if (i > index && para.FirstRow() == first) break;
    para.SetFirstRow(first);
    first += para.GetCount();
  }
  FLayout->ScrollInfoChanged();
}

void TElEditStrings::Changed() {
  TElWideStringList::Changed();
  if (OnStorageChange) OnStorageChange(this);
  FLayout->StorageChanged();
}

void TElEditStrings::WrapInto(TElParagraph& para, const WideString& text) const {
  para.BeginUpdate();
  para.Clear();
  if (!FLayout->WordWrapActive()) {
    para.Add(text);
    para.EndUpdate();
    return;
  }
  const int width = FLayout->WrapWidth();
  const int rightEdge = FLayout->WrapRightEdge();
  const int total = static_cast<int>(text.size());
  int start = 0;
  for (;;) {
    const int length = total - start;
    if (length <= 1) break;
    // The rest stays whole while its width + 2 is below the right edge,
    // measured no further than that edge.
    if (FLayout->CharsFitRight(rightEdge - 3, text, start) >= length) break;
    int n = FLayout->CharsFitRight(width, text, start);
    if (n >= length) n = length - 1;
    int cut = n;
    if (n < length && n > 1) {
      int j = n - 1;
      while (j >= 1 && !IsBlank(text[static_cast<std::size_t>(start + j)])) --j;
      if (j >= 1) cut = j + 1;
    }
    // Every row takes at least one character, and a pair stays whole.
    if (cut < 1) cut = 1;
    if (cut < length && IsLowSurrogate(text[static_cast<std::size_t>(start + cut)]) &&
        IsHighSurrogate(text[static_cast<std::size_t>(start + cut - 1)]))
      cut = cut > 1 ? cut - 1 : cut + 1;
    if (cut >= length) break;
    para.Add(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(cut)));
    start += cut;
  }
  para.Add(text.substr(static_cast<std::size_t>(start)));
  para.EndUpdate();
}

void TElEditStrings::TrackLongest(int index, const WideString& text) {
  if (FLayout->WordWrapActive()) return;
  const int length = static_cast<int>(text.size());
  if (index == FLongestIndex && length < FLongestLength) {
    // The longest row got shorter: another paragraph may now be the longest.
    RescanLongest();
    return;
  }
  if (length > FLongestLength || FLongestIndex < 0) {
    FLongestLength = length;
    FLongestIndex = index;
    FLongestText = text;
  }
}

void TElEditStrings::RescanLongest() {
  ResetLongest();
  if (FLayout->WordWrapActive()) return;
  for (int i = 0; i < ParagraphCount(); ++i) {
    const TElParagraph& para = *FParagraphs[static_cast<std::size_t>(i)];
    if (para.TextLength() > FLongestLength || FLongestIndex < 0) {
      FLongestLength = para.TextLength();
      FLongestIndex = i;
    }
  }
  if (FLongestIndex >= 0) FLongestText = FParagraphs[static_cast<std::size_t>(FLongestIndex)]->Text();
}

void TElEditStrings::ResetLongest() {
  FLongestLength = 0;
  FLongestIndex = -1;
  FLongestText.clear();
}
