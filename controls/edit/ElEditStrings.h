#pragma once
// The edit's text storage: paragraphs (lines between breaks), each cut into
// display rows by word wrap, addressed by a global row index; the single
// insert primitive; longest-row tracking without word wrap. Main thread only:
// it belongs to one edit.
#include <memory>
#include <vector>

#include "controls/edit/ElEditAction.h"
#include "controls/edit/ElEditLayout.h"
#include "text/ElWideStringList.h"

// One paragraph: its display rows in order; its text is their concatenation.
class TElParagraph : public TElWideStringList {
 public:
  std::string ClassName() const override { return "TElParagraph"; }
  // Global index of the paragraph's first display row.
  int FirstRow() const { return FFirstRow; }
  void SetFirstRow(int value) { FFirstRow = value; }
  WideString Text() const;
  int TextLength() const;

 private:
  int FFirstRow = -1;  // -1 until counted
};

// A display row as (paragraph, row within it).
struct TElParaRow {
  int Paragraph = 0;
  int Row = 0;
};

// A text position as (paragraph, offset in its text).
struct TElParaPos {
  int Paragraph = 0;
  int Offset = 0;
  bool operator==(const TElParaPos& o) const { return Paragraph == o.Paragraph && Offset == o.Offset; }
  bool operator<(const TElParaPos& o) const {
    return Paragraph < o.Paragraph || (Paragraph == o.Paragraph && Offset < o.Offset);
  }
};

class TElEditStrings : public TElWideStringList {
 public:
  explicit TElEditStrings(IElEditLayout* layout);
  ~TElEditStrings() override;

  std::string ClassName() const override { return "TElEditStrings"; }

  // Paragraph access. Touching item 0 of an empty storage creates it.
  WideString Get(int index) const override;
  int GetCount() const override;
  void* GetObject(int index) const override { (void)index; return nullptr; }
  void PutObject(int index, void* object) override { (void)index; (void)object; }
  void Put(int index, const WideString& s) override;
  // Paragraphs joined by CR LF, none after the last.
  WideString GetTextStr() const override;
  void SetTextStr(const WideString& text) override;
  // Also re-splits an equal text (a change of Multiline needs it).
  void SetTextStr(const WideString& text, bool force);

  int Add(const WideString& s) override;
  void AddStrings(const TElWideStrings& strings) override;
  void Clear() override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  int IndexOf(const WideString& s) const override;
  // Multi-line only: s split at line breaks into paragraphs from index on.
  void Insert(int index, const WideString& s) override;
  bool Find(const WideString& s, int& index) const override;

  // Display rows.
  int GetParaCount() const;
  WideString GetParaString(int row) const;
  void SetParaString(int row, const WideString& s);
  int RowLength(int row) const;
  TElParaRow IndexToParagraph(int row) const;
  TElParaPos CaretToParagraph(int column, int row) const;
  TElEditPoint CaretFromParagraph(int paragraph, int offset) const;

  // Inserts text (line breaks split paragraphs) at (column, row) and returns
  // the position just after it in the same variables.
  void InsertText(int& column, int& row, const WideString& text);
  // Removes the text between two positions in text order, joining paragraphs.
  void DeleteRange(TElParaPos from, TElParaPos to);
  // The text between two positions, breaks as CR LF.
  WideString TextBetween(TElParaPos from, TElParaPos to) const;
  // Characters in the text, 2 per line break.
  int TextLength() const;

  void Reformat();
  void ReformatParagraph(int index);
  // First-row indexes from paragraph index on. Stops early where the stored
  // index already agrees: the paragraphs after it were consistent before.
  void ReCount(int index);

  const TElParagraph& Paragraph(int index) const;
  int ParagraphCount() const { return static_cast<int>(FParagraphs.size()); }

  // Longest-row tracking (without word wrap).
  int LongestLength() const { return FLongestLength; }
  int LongestIndex() const { return FLongestIndex; }
  const WideString& LongestText() const { return FLongestText; }

  TNotifyEvent OnStorageChange;

 protected:
  void Changed() override;

 private:
  TElParagraph& EnsureParagraph(int index) const;
  void InsertParagraphs(int index, const WideString& s);
  void SetParagraphText(int index, const WideString& s);
  void SplitIntoParagraphs(const WideString& s);
  void WrapInto(TElParagraph& para, const WideString& text) const;
  void TrackLongest(int index, const WideString& text);
  void ResetLongest();
  void RescanLongest();
  void CheckParagraph(int index) const;

  IElEditLayout* FLayout;
  mutable std::vector<std::unique_ptr<TElParagraph>> FParagraphs;
  int FLongestLength = 0;
  int FLongestIndex = -1;
  WideString FLongestText;
};
