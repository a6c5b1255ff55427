#pragma once
// A window side for edit model tests: counts what the model asks of it and
// keeps a clipboard; plus a model factory with the fixed-advance painter.
#include <memory>
#include <string>
#include <vector>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/ElFixedTextPainter.h"

class TRecordingEditHost : public IElEditHost {
 public:
  bool HasWindow() const override { return Window; }
  void InvalidateText() override { ++Invalidations; }
  void UpdateScrollInfo() override { ++ScrollUpdates; }
  void CaretMoved() override { ++CaretMoves; }
  bool ClipboardGetText(WideString& text) override {
    text = Clipboard;
    return HasText;
  }
  void ClipboardSetText(const WideString& text) override {
    Clipboard = text;
    HasText = true;
    ++ClipboardWrites;
  }

  bool Window = false;
  WideString Clipboard;
  bool HasText = false;
  int Invalidations = 0;
  int ScrollUpdates = 0;
  int CaretMoves = 0;
  int ClipboardWrites = 0;
};

// Counts OnChange and OnSelectionChange.
struct TEventCounts {
  int Changes = 0;
  int SelectionChanges = 0;
  void Attach(TElEditModel& model) {
    model.OnChange = [this](TObject*) { ++Changes; };
    model.OnSelectionChange = [this](TObject*) { ++SelectionChanges; };
  }
};

// Every code unit 8 pixels wide, rows 13 pixels high.
inline std::unique_ptr<TElEditModel> MakeEdit(IElEditHost* host = nullptr) {
  return std::make_unique<TElEditModel>(std::make_unique<TElFixedTextPainter>(8, 13), host);
}

// A multi-line edit whose text is 80 pixels (10 characters) wide.
inline std::unique_ptr<TElEditModel> MakeMemo(bool wordWrap, IElEditHost* host = nullptr) {
  auto edit = MakeEdit(host);
  edit->SetMultiline(true);
  edit->SetWordWrap(wordWrap);
  edit->SetEditRect({0, 0, 82, 100});
  return edit;
}

inline std::vector<WideString> RowsOf(const TElEditStrings& lines) {
  std::vector<WideString> rows;
  for (int r = 0; r < lines.GetParaCount(); ++r) rows.push_back(lines.GetParaString(r));
  return rows;
}

// A wide text readable in a failure message.
inline std::string Shown(const WideString& s) {
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
