#pragma once
// A random driver for the edit model: applies operations both to a model and
// to a small reference (paragraphs, a selection and a stack of snapshots),
// and after every step checks text, selection, the rows of every paragraph
// and the global row indexes. Used by the seeded host test and by the
// libFuzzer target, which feeds the choices from its bytes.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/ElFixedTextPainter.h"

namespace edit_driver {

// Where the choices come from: a seeded generator or a byte string.
class TChoices {
 public:
  virtual ~TChoices() = default;
  // 0 .. n - 1.
  virtual int Pick(int n) = 0;
  virtual bool Exhausted() const { return false; }
};

class TSeededChoices : public TChoices {
 public:
  explicit TSeededChoices(std::uint32_t seed) : FEngine(seed) {}
  int Pick(int n) override { return n <= 1 ? 0 : static_cast<int>(FEngine() % static_cast<std::uint32_t>(n)); }

 private:
  std::mt19937 FEngine;
};

class TByteChoices : public TChoices {
 public:
  TByteChoices(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
  int Pick(int n) override {
    if (n <= 1 || FPos >= FSize) return 0;
    return FData[FPos++] % n;
  }
  bool Exhausted() const override { return FPos >= FSize; }

 private:
  const std::uint8_t* FData;
  std::size_t FSize;
  std::size_t FPos = 0;
};

inline std::string Narrow(const WideString& s) {
  std::string out;
  for (char16_t c : s) {
    if (c == u'\r') out += "\\r";
    else if (c == u'\n') out += "\\n";
    else if (c == u'\t') out += "\\t";
    else if (c >= 32 && c < 127) out += static_cast<char>(c);
    else out += "?";
  }
  return out;
}

inline bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
inline bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The reference: paragraphs, an anchor and a caret as text indexes.
struct TReference {
  std::vector<WideString> Paras{WideString()};
  int Anchor = 0;
  int Caret = 0;
  std::vector<WideString> History;
  bool Multiline = true;

  WideString Text() const {
    WideString t;
    for (std::size_t i = 0; i < Paras.size(); ++i) {
      if (i > 0) t += u"\r\n";
      t += Paras[i];
    }
    return t;
  }
  void SetText(const WideString& t) {
    Paras.assign(1, WideString());
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') {
        Paras.emplace_back();
        ++i;
      } else {
        Paras.back().push_back(t[i]);
      }
    }
  }
  // (paragraph, offset) of a text index at a character boundary.
  std::pair<int, int> ToPara(int index) const {
    for (int p = 0; p < static_cast<int>(Paras.size()); ++p) {
      const int len = static_cast<int>(Paras[static_cast<std::size_t>(p)].size());
      if (index <= len) return {p, index};
      index -= len + 2;
    }
    return {static_cast<int>(Paras.size()) - 1, static_cast<int>(Paras.back().size())};
  }
  int FromPara(int p, int o) const {
    int index = 0;
    for (int i = 0; i < p; ++i) index += static_cast<int>(Paras[static_cast<std::size_t>(i)].size()) + 2;
    return index + o;
  }
  int SelStart() const { return std::min(Anchor, Caret); }
  int SelLength() const { return std::abs(Anchor - Caret); }
  void Snapshot() { History.push_back(Text()); }
  void Replace(int from, int to, const WideString& with) {
    WideString t = Text();
    t = t.substr(0, static_cast<std::size_t>(from)) + with + t.substr(static_cast<std::size_t>(to));
    SetText(t);
  }
  // Removes the selection: one undo step when there was one.
  void DeleteSelection() {
    if (SelLength() == 0) return;
    Snapshot();
    RemoveSelection();
  }
  void RemoveSelection() {
    const int start = SelStart();
    Replace(start, start + SelLength(), WideString());
    Anchor = Caret = start;
  }
  // Every character boundary of the text (no index inside a pair or a break).
  std::vector<int> Boundaries() const {
    std::vector<int> result;
    const WideString t = Text();
    for (int i = 0; i <= static_cast<int>(t.size()); ++i) {
      if (i > 0 && i < static_cast<int>(t.size()) &&
          ((IsHigh(t[static_cast<std::size_t>(i - 1)]) && IsLow(t[static_cast<std::size_t>(i)])) ||
           (t[static_cast<std::size_t>(i - 1)] == u'\r' && t[static_cast<std::size_t>(i)] == u'\n')))
        continue;
      result.push_back(i);
    }
    return result;
  }
  int NextWord(int index) const {
    const auto [p, o] = ToPara(index);
    const WideString& s = Paras[static_cast<std::size_t>(p)];
    const int len = static_cast<int>(s.size());
    if (o >= len) return p + 1 < static_cast<int>(Paras.size()) ? FromPara(p + 1, 0) : index;
    if (o == len - 1) return FromPara(p, len);
    const bool blank = IsBlank(s[static_cast<std::size_t>(o)]);
    int i = o;
    while (i < len && IsBlank(s[static_cast<std::size_t>(i)]) == blank) ++i;
    while (i < len && IsBlank(s[static_cast<std::size_t>(i)])) ++i;
    return FromPara(p, i);
  }
  // From the column left of index.
  int PrevWordBefore(int index) const {
    const auto [p, o0] = ToPara(index);
    const int o = o0 - 1;
    if (o < 0) return p == 0 ? 0 : FromPara(p - 1, static_cast<int>(Paras[static_cast<std::size_t>(p - 1)].size()));
    const WideString& s = Paras[static_cast<std::size_t>(p)];
    int i = o;
    const bool blank = IsBlank(s[static_cast<std::size_t>(i)]);
    while (i > 0 && IsBlank(s[static_cast<std::size_t>(i)]) == blank) --i;
    if (IsBlank(s[static_cast<std::size_t>(i)]) == blank) return FromPara(p, 0);
    if (blank) {
      while (i > 0 && !IsBlank(s[static_cast<std::size_t>(i)])) --i;
      if (!IsBlank(s[static_cast<std::size_t>(i)])) return FromPara(p, 0);
    }
    return FromPara(p, i + 1);
  }
};

class TDriver {
 public:
  TDriver(TChoices& choices, bool multiline) : FChoices(choices) {
    FModel = std::make_unique<TElEditModel>(std::make_unique<TElFixedTextPainter>(8, 13), &FHost);
    FRef.Multiline = multiline;
    if (multiline) {
      FModel->SetMultiline(true);
      FModel->SetWordWrap(true);
    }
    FModel->SetEditRect({0, 0, 40 + 8 * FChoices.Pick(40), 100});
    const WideString first = RandomText(multiline);
    FModel->SetText(first);
    FFirst = FModel->GetText();
    FRef.SetText(FFirst);
    Check("start");
  }

  // Runs up to steps operations, then undoes everything; false on the first
  // disagreement, described by Failure().
  bool Run(int steps) {
    try {
      for (int i = 0; i < steps && FFailure.empty() && !FChoices.Exhausted(); ++i) Step(i);
      if (FFailure.empty()) UndoAll();
    } catch (const std::exception& e) {
      Fail("operation " + std::to_string(FLastOp) + " of step " + std::to_string(FLastStep), e.what());
    }
    return FFailure.empty();
  }
  const std::string& Failure() const { return FFailure; }
  const TElEditModel& Model() const { return *FModel; }

 private:
  WideString RandomPiece() {
    static const char16_t* const pieces[] = {u"a", u"bc", u"path\\to\\x", u" ", u"\t", u"word", u"\u00e9",
                                             u"\U0001F600", u"  ", u"longunbreakablewordwithoutblanks"};
    return pieces[FChoices.Pick(10)];
  }
  WideString RandomText(bool breaks) {
    WideString t;
    const int n = FChoices.Pick(8);
    for (int i = 0; i < n; ++i) {
      const int kind = FChoices.Pick(10);
      if (breaks && kind == 0) t += u"\r\n";
      else if (breaks && kind == 1 && !t.empty()) t += u"\n";
      else t += RandomPiece();
    }
    // A lone break at the very end is dropped by the primitive: leave it out.
    while (!t.empty() && t.back() == u'\n' && (t.size() < 2 || t[t.size() - 2] != u'\r')) t.pop_back();
    return t;
  }
  // What the model stores for inserted text.
  WideString Normalised(const WideString& t) const {
    WideString out;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i] == u'\r' || t[i] == u'\n') {
        if (!FRef.Multiline) break;
        if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') ++i;
        out += u"\r\n";
      } else {
        out.push_back(t[i]);
      }
    }
    return out;
  }
  int RandomBoundary() {
    const std::vector<int> b = FRef.Boundaries();
    return b[static_cast<std::size_t>(FChoices.Pick(static_cast<int>(b.size())))];
  }
  void InsertRef(const WideString& text, bool selectIt, bool record = true) {
    const int start = FRef.Caret;
    if (record) FRef.Snapshot();
    FRef.Replace(start, start, text);
    FRef.Caret = start + static_cast<int>(text.size());
    FRef.Anchor = selectIt ? start : FRef.Caret;
  }

  void Step(int step) {
    std::ostringstream name;
    const int op = FChoices.Pick(13);
    FLastOp = op;
    FLastStep = step;
    switch (op) {
      case 0: case 1: {  // type a character or a pair
        const bool pair = FChoices.Pick(6) == 0;
        const WideString text = pair ? WideString(u"\U0001F600") : WideString(1, u"ab \\x"[FChoices.Pick(5)]);
        name << "type '" << Narrow(text) << "'";
        if (pair) FModel->SetPendingWideText(text);
        FModel->KeyPress(pair ? u'\u00ff' : text[0]);
        // One undo step: the group holds the replaced selection too.
        FRef.Snapshot();
        FRef.RemoveSelection();
        InsertRef(text, false, false);
        break;
      }
      case 2: {  // paste
        const WideString text = RandomText(true);
        name << "paste '" << Narrow(text) << "'";
        FHost.ClipboardSetText(text);
        FModel->PasteFromClipboard();
        if (text.empty()) break;
        FRef.DeleteSelection();
        InsertRef(Normalised(text), false);
        break;
      }
      case 3: {  // select
        const int a = RandomBoundary();
        const int b = RandomBoundary();
        name << "select " << a << ".." << b;
        FModel->EmSetSel(a, b);
        FRef.Anchor = std::max(a, b);
        FRef.Caret = std::min(a, b);
        break;
      }
      case 4: {
        name << "backspace";
        FModel->Backspace();
        if (FRef.SelLength() > 0) {
          FRef.DeleteSelection();
        } else if (FRef.Caret > 0) {
          const std::vector<int> b = FRef.Boundaries();
          const int from = *(std::lower_bound(b.begin(), b.end(), FRef.Caret) - 1);
          FRef.Snapshot();
          FRef.Replace(from, FRef.Caret, WideString());
          FRef.Caret = FRef.Anchor = from;
        }
        break;
      }
      case 5: {
        name << "delete";
        FModel->DeleteChar();
        if (FRef.SelLength() > 0) {
          FRef.DeleteSelection();
        } else if (FRef.Caret < static_cast<int>(FRef.Text().size())) {
          const std::vector<int> b = FRef.Boundaries();
          const int to = *std::upper_bound(b.begin(), b.end(), FRef.Caret);
          FRef.Snapshot();
          FRef.Replace(FRef.Caret, to, WideString());
          FRef.Anchor = FRef.Caret;
        }
        break;
      }
      case 6: case 7: {
        const bool back = op == 6;
        name << (back ? "ctrl+backspace" : "ctrl+delete");
        if (back) FModel->BackspaceWord(); else FModel->DeleteWord();
        FRef.DeleteSelection();
        const int target = back ? FRef.PrevWordBefore(FRef.Caret) : FRef.NextWord(FRef.Caret);
        FRef.Anchor = FRef.Caret;
        FRef.Caret = target;
        FRef.DeleteSelection();
        FRef.Anchor = FRef.Caret;
        break;
      }
      case 8: {
        name << "undo";
        FModel->Undo();
        if (!FRef.History.empty()) {
          FRef.SetText(FRef.History.back());
          FRef.History.pop_back();
        }
        Check(Describe(step, name.str()), false);
        FRef.Anchor = FRef.Caret = FModel->GetSelStart();
        FModel->SetSelStart(FRef.Caret);
        return;
      }
      case 9: {
        name << "toggle word wrap";
        FModel->SetWordWrap(!FModel->WordWrap());
        break;
      }
      case 10: {
        const int width = 20 + 8 * FChoices.Pick(50);
        name << "width " << width;
        FModel->SetEditRect({0, 0, width, 100});
        break;
      }
      case 11: {
        name << "enter";
        const int recordsBefore = FModel->UndoList().Count();
        FModel->InsertLineBreak();
        if (!FRef.Multiline) break;
        const int steps = FModel->UndoList().Count() - recordsBefore - (FRef.SelLength() > 0 ? 1 : 0);
        FRef.DeleteSelection();
        // A break at the start of a wrapped continuation row also records a
        // step that changes nothing.
        for (int i = 1; i < steps; ++i) FRef.Snapshot();
        InsertRef(u"\r\n", false);
        break;
      }
      default: {
        const WideString text = RandomText(true);
        name << "set sel text '" << Narrow(text) << "'";
        FModel->SetSelText(text);
        FRef.DeleteSelection();
        InsertRef(Normalised(text), true);
        break;
      }
    }
    Check(Describe(step, name.str()));
  }

  std::string Describe(int step, const std::string& op) const {
    std::ostringstream out;
    out << "step " << step << " (" << op << ")";
    return out.str();
  }

  void Fail(const std::string& where, const std::string& what) {
    if (FFailure.empty()) FFailure = where + ": " + what;
  }

  void Check(const std::string& where, bool selection = true) {
    if (!FFailure.empty()) return;
    const WideString text = FModel->GetText();
    if (text != FRef.Text()) return Fail(where, "text '" + Narrow(text) + "', expected '" + Narrow(FRef.Text()) + "'");
    if (selection && (FModel->GetSelStart() != FRef.SelStart() || FModel->GetSelLength() != FRef.SelLength())) {
      std::ostringstream out;
      out << "selection " << FModel->GetSelStart() << "+" << FModel->GetSelLength() << ", expected "
          << FRef.SelStart() << "+" << FRef.SelLength();
      return Fail(where, out.str());
    }
    CheckRows(where);
  }

  void CheckRows(const std::string& where) {
    const TElEditStrings& lines = FModel->Lines();
    const int width = FModel->EditRect().Width() - FModel->LeftMargin() - FModel->RightMargin();
    const bool wrap = FModel->Multiline() && FModel->WordWrap();
    int row = 0;
    int longest = 0;
    for (int p = 0; p < lines.GetCount(); ++p) {
      const TElParagraph& para = lines.Paragraph(p);
      std::ostringstream at;
      at << "paragraph " << p;
      if (para.FirstRow() != row) return Fail(where, at.str() + " first row " + std::to_string(para.FirstRow()) +
                                                         ", expected " + std::to_string(row));
      if (para.GetCount() < 1) return Fail(where, at.str() + " has no row");
      WideString joined;
      for (int r = 0; r < para.GetCount(); ++r) {
        const WideString s = para.Get(r);
        joined += s;
        const bool oneChar = s.size() == 1 || (s.size() == 2 && IsHigh(s[0]));
        if (wrap && FModel->Painter().TextWidth(s) > width && !oneChar)
          return Fail(where, at.str() + " row '" + Narrow(s) + "' wider than " + std::to_string(width));
        if (!s.empty() && IsHigh(s.back()) && r + 1 < para.GetCount())
          return Fail(where, at.str() + " row splits a surrogate pair");
      }
      if (joined != FRef.Paras[static_cast<std::size_t>(p)])
        return Fail(where, at.str() + " rows join to '" + Narrow(joined) + "'");
      if (!wrap && para.GetCount() != 1) return Fail(where, at.str() + " wrapped without word wrap");
      longest = std::max(longest, static_cast<int>(joined.size()));
      row += para.GetCount();
    }
    if (lines.GetParaCount() != row) return Fail(where, "row count " + std::to_string(lines.GetParaCount()));
    if (!wrap && lines.LongestLength() != longest)
      return Fail(where, "longest row " + std::to_string(lines.LongestLength()) + ", expected " + std::to_string(longest));
    const TElEditPoint caret = FModel->GetCaretXY();
    if (caret.Y < 0 || caret.Y >= row || caret.X < 0 || caret.X > lines.RowLength(caret.Y))
      return Fail(where, "caret off the text");
  }

  void UndoAll() {
    int guard = 0;
    while (FModel->GetCanUndo() && guard++ < 100000) FModel->Undo();
    if (FModel->GetText() != FFirst)
      Fail("undo all", "text '" + Narrow(FModel->GetText()) + "', expected '" + Narrow(FFirst) + "'");
    if (FModel->Modified()) Fail("undo all", "still modified");
  }

  TChoices& FChoices;
  TElNullEditHost FHost;
  std::unique_ptr<TElEditModel> FModel;
  TReference FRef;
  WideString FFirst;
  std::string FFailure;
  int FLastOp = -1;
  int FLastStep = -1;
};

}  // namespace edit_driver
