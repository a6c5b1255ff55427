// The edit model with word wrap holding 10,000 paragraphs of 80 characters
// against the same with 100: time to assign the text, typing 10,000
// characters one at a time in the middle, undoing them all, line breaks, and
// the bytes held per character. The ratio that matters is the per-keystroke
// cost at 10,000 paragraphs over that at 100, for keystrokes that leave the
// row count alone.
// Usage: edit_bench [PARAGRAPHS] (default 10000; compared with 100)
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/ElFixedTextPainter.h"

namespace {

using TClock = std::chrono::steady_clock;

double Seconds(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// A paragraph of exactly 80 characters made of words and single spaces.
WideString Paragraph(int seed) {
  static const char* const words[] = {"path", "folder", "compressed", "a", "entry", "volume", "file", "is"};
  WideString p;
  for (int i = seed; p.size() < 80; ++i) {
    if (!p.empty()) p.push_back(u' ');
    for (const char* c = words[i % 8]; *c; ++c) p.push_back(static_cast<char16_t>(*c));
  }
  p.resize(80);
  return p;
}

WideString Text(int paragraphs) {
  WideString text;
  text.reserve(static_cast<std::size_t>(paragraphs) * 82);
  for (int i = 0; i < paragraphs; ++i) {
    if (i > 0) text += u"\r\n";
    text += Paragraph(i);
  }
  return text;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

struct TFigures {
  double assign = 0;
  double keystroke = 0;       // mean over keystrokes that kept the row count
  double rowKeystroke = 0;    // mean over those that changed it
  int rowKeystrokes = 0;
  double undo = 0;            // all of them
  double lineBreak = 0;       // mean per Enter
  double bytesPerChar = 0;
};

TFigures Measure(int paragraphs, int keystrokes, int lineBreaks) {
  TFigures f;
  const WideString text = Text(paragraphs);
  const std::size_t heapBefore = HeapInUse();
  auto edit = std::make_unique<TElEditModel>(std::make_unique<TElFixedTextPainter>(8, 13), nullptr);
  edit->SetMultiline(true);
  edit->SetWordWrap(true);
  edit->SetEditRect({0, 0, 402, 300});  // 49 characters a row: two rows a paragraph
  auto t0 = TClock::now();
  edit->SetText(text);
  f.assign = Seconds(t0, TClock::now());
  f.bytesPerChar = static_cast<double>(HeapInUse() - heapBefore) / static_cast<double>(text.size());

  const int middle = paragraphs / 2;
  edit->SetCaretXY({40, edit->Lines().Paragraph(middle).FirstRow()});
  static const char16_t typed[] = u"some more words ";
  double kept = 0;
  double changed = 0;
  int keptCount = 0;
  for (int i = 0; i < keystrokes; ++i) {
    const int rowsBefore = edit->GetLinesCount();
    const auto start = TClock::now();
    edit->KeyPress(typed[i % 16]);
    const double s = Seconds(start, TClock::now());
    if (edit->GetLinesCount() == rowsBefore) {
      kept += s;
      ++keptCount;
    } else {
      changed += s;
      ++f.rowKeystrokes;
    }
  }
  f.keystroke = keptCount > 0 ? kept / keptCount : 0;
  f.rowKeystroke = f.rowKeystrokes > 0 ? changed / f.rowKeystrokes : 0;

  t0 = TClock::now();
  while (edit->GetCanUndo()) edit->Undo();
  f.undo = Seconds(t0, TClock::now());
  if (edit->GetText() != text) std::fprintf(stderr, "edit: undo did not give back the text\n");

  edit->SetCaretXY({40, edit->Lines().Paragraph(middle).FirstRow()});
  t0 = TClock::now();
  for (int i = 0; i < lineBreaks; ++i) edit->InsertLineBreak();
  f.lineBreak = Seconds(t0, TClock::now()) / lineBreaks;
  return f;
}

void Print(int paragraphs, const TFigures& f, int keystrokes) {
  std::printf("%6d paragraphs: assign %.3f s, keystroke %.2f us (%d of %d changed the rows: %.2f us each), "
              "undo all %.3f s, line break %.2f us, %.1f bytes per character\n",
              paragraphs, f.assign, f.keystroke * 1e6, f.rowKeystrokes, keystrokes, f.rowKeystroke * 1e6, f.undo,
              f.lineBreak * 1e6, f.bytesPerChar);
}

}  // namespace

int main(int argc, char** argv) {
  const int large = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int small = 100;
  const int keystrokes = 10000;
  const int lineBreaks = 1000;
  const TFigures a = Measure(small, keystrokes, lineBreaks);
  const TFigures b = Measure(large, keystrokes, lineBreaks);
  Print(small, a, keystrokes);
  Print(large, b, keystrokes);
  std::printf("edit: keystroke cost ratio %d / %d paragraphs = %.2f (target <= 1.5)\n", large, small,
              b.keystroke / a.keystroke);
  std::printf("edit: line break cost ratio %d / %d paragraphs = %.2f\n", large, small, b.lineBreak / a.lineBreak);
  return 0;
}
