// Keystroke to painted in the shown edit: a character posted to a
// single-line edit holding a 260-character path (caret at its end), then
// the messages pumped until nothing is left to paint; the same at the end
// of a 10,000-paragraph memo. Prints median and 99th percentile per
// keystroke, keystrokes a second, and the memo's cost over the single
// line's.
// Usage: edit_paint_bench.exe [KEYSTROKES] (default 1000)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElEdit.h"
#include "framework/win32/Form.h"

namespace {

using TClock = std::chrono::steady_clock;

void PumpUntilPainted(HWND window) {
  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (!GetUpdateRect(window, nullptr, FALSE)) break;
    UpdateWindow(window);
  }
  GdiFlush();
}

struct TFigures {
  double median = 0;
  double p99 = 0;
};

// Alternates a typed character and Backspace, so the text keeps its length.
// Without painting, the handling alone is timed (what is left to paint is
// thrown away).
TFigures Measure(TElEdit& edit, int keystrokes, bool paint) {
  HWND window = edit.Handle();
  std::vector<double> costs;
  costs.reserve(static_cast<size_t>(keystrokes));
  PumpUntilPainted(window);
  for (int i = 0; i < keystrokes; ++i) {
    const auto start = TClock::now();
    if (!paint) {
      if (i % 2 == 0) SendMessageW(window, WM_CHAR, 'x', 1);
      else SendMessageW(window, WM_KEYDOWN, VK_BACK, 1);
      costs.push_back(std::chrono::duration<double, std::micro>(TClock::now() - start).count());
      ValidateRect(window, nullptr);
      continue;
    }
    if (i % 2 == 0) {
      PostMessageW(window, WM_CHAR, 'x', 1);
    } else {
      PostMessageW(window, WM_KEYDOWN, VK_BACK, 1);
      PostMessageW(window, WM_KEYUP, VK_BACK, 1 | (3u << 30));
    }
    PumpUntilPainted(window);
    costs.push_back(std::chrono::duration<double, std::micro>(TClock::now() - start).count());
  }
  std::sort(costs.begin(), costs.end());
  TFigures f;
  f.median = costs[costs.size() / 2];
  f.p99 = costs[std::min(costs.size() - 1, costs.size() * 99 / 100)];
  return f;
}

void Print(const char* name, const TFigures& f) {
  std::printf("%-28s median %8.1f us   p99 %8.1f us   %7.0f keystrokes/s\n", name, f.median, f.p99,
              f.median > 0 ? 1e6 / f.median : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int keystrokes = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
  TForm form(nullptr);
  form.SetClientSize(640, 400);
  form.Font()->SetName(u"MS Sans Serif");
  form.Font()->SetHeight(-11);

  auto* line = new TElEdit(&form);
  line->SetParent(&form);
  line->SetBounds(10, 10, 400, 21);
  WideString path = u"C:";
  while (path.size() < 260) path += u"\\Folder";
  path.resize(260);
  line->SetText(path);

  auto* memo = new TElEdit(&form);
  memo->SetParent(&form);
  memo->SetMultiline(true);
  if (std::getenv("EDIT_BENCH_NO_BARS") == nullptr) memo->SetScrollBars(ssVertical);
  memo->SetBounds(10, 40, 600, 340);
  WideString text;
  for (int i = 0; i < 10000; ++i) {
    if (i > 0) text += u"\r\n";
    text += u"Paragraph of the memo with some words in it, number ";
    for (char c : std::to_string(i)) text.push_back(static_cast<char16_t>(c));
  }
  memo->SetText(text);
  form.Show();

  line->SetFocus();
  line->Model().SetSelStart(static_cast<int>(path.size()));
  const TFigures single = Measure(*line, keystrokes, true);
  const TFigures singleHandling = Measure(*line, keystrokes, false);
  memo->SetFocus();
  memo->Model().SetSelStart(static_cast<int>(text.size()));
  const TFigures many = Measure(*memo, keystrokes, true);
  const TFigures manyHandling = Measure(*memo, keystrokes, false);

  std::printf("Keystroke to painted, %d keystrokes each (a character, then Backspace)\n", keystrokes);
  Print("single line, 260-char path", single);
  Print("memo end, 10,000 paragraphs", many);
  Print("  handling only, single line", singleHandling);
  Print("  handling only, memo", manyHandling);
  std::printf("memo / single line (median): %.2f\n", single.median > 0 ? many.median / single.median : 0.0);
  return 0;
}
