// Log lines handed over from a worker into the main window's log, against the
// same lines appended on the main thread directly, in one run, first with the
// window shown and then with it hidden. Prints lines per second of each and
// their ratios, for each the time of the last 10,000 of the lines against the
// first 10,000 (appending must not slow down as the log grows), the floor of
// the hand-over itself (a worker handing over a function that does nothing),
// and the memory the log's lines take per line against their texts.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/RavelinMain.h"
#include "framework/win32/Application.h"
#include "app/WorkingThread.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TTimings {
  double total = 0;  // seconds for all lines
  double first = 0;  // seconds for the first block
  double last = 0;   // seconds for the last block
};

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

WideString LineText(int index) {
  return WideFromAscii(("Found compressed File: C:\\bench\\directory\\file" + std::to_string(index)).c_str());
}

// A worker whose body only hands lines over, through the window's own hand-over.
class THandOverThread : public WorkingThread {
 public:
  THandOverThread(int lines, int block, TTimings& timings)
      : WorkingThread(true, u"", false), FLines(lines), FBlock(block), FTimings(timings) {}
  std::atomic<bool> done{false};

 protected:
  void Execute() override {
    const Clock::time_point start = Clock::now();
    Clock::time_point lastStart = start;
    for (int i = 0; i < FLines; ++i) {
      if (i == FLines - FBlock) lastStart = Clock::now();
      AddLogLine(LineText(i));
      if (i == FBlock - 1) FTimings.first = Seconds(start, Clock::now());
    }
    const Clock::time_point end = Clock::now();
    FTimings.last = Seconds(lastStart, end);
    FTimings.total = Seconds(start, end);
    done = true;
  }

 private:
  int FLines;
  int FBlock;
  TTimings& FTimings;
};

// The hand-over alone: a worker that hands over a function doing nothing.
class TEmptyHandOverThread : public TThread {
 public:
  explicit TEmptyHandOverThread(int count) : TThread(true), FCount(count) {}
  std::atomic<bool> done{false};
  double seconds = 0;

 protected:
  void Execute() override {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < FCount; ++i) Synchronize(&TEmptyHandOverThread::Nothing);
    seconds = Seconds(start, Clock::now());
    done = true;
  }

 private:
  void Nothing() {}
  int FCount;
};

double HandOverFloor(int count) {
  auto* thread = new TEmptyHandOverThread(count);
  thread->Resume();
  while (!thread->done) Application->HandleMessage();
  thread->WaitFor();
  const double seconds = thread->seconds;
  delete thread;
  return count / seconds;
}

// The bytes the process's heaps hand out, their own bookkeeping included:
// the run-time library's heap and the system's, where the native list keeps
// its entries.
double HeapBytes() {
  std::vector<HANDLE> heaps(64);
  const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  heaps.resize(std::min<size_t>(count, heaps.size()));
  double bytes = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData + entry.cbOverhead;
    HeapUnlock(heap);
  }
  return bytes;
}

TTimings HandOver(int lines, int block) {
  TTimings timings;
  auto* thread = new THandOverThread(lines, block, timings);
  thread->Resume();
  while (!thread->done) Application->HandleMessage();
  thread->WaitFor();
  delete thread;
  return timings;
}

TTimings Direct(int lines, int block) {
  TTimings timings;
  TElListBox* log = RavelinMainForm->LogBox;
  const Clock::time_point start = Clock::now();
  Clock::time_point lastStart = start;
  for (int i = 0; i < lines; ++i) {
    if (i == lines - block) lastStart = Clock::now();
    log->Items()->Add(LineText(i));
    WorkingThread::AutoScrollLog(log);
    // What is waiting (paints) is handled now and then, as a busy main
    // thread would; once a line it would cost more than the append itself.
    if (i % 1000 == 999) Application->ProcessMessages();
    if (i == block - 1) timings.first = Seconds(start, Clock::now());
  }
  const Clock::time_point end = Clock::now();
  timings.last = Seconds(lastStart, end);
  timings.total = Seconds(start, end);
  return timings;
}

// Where a direct append's time goes: the row added, and the parts of the
// auto-scroll that follows it, each summed over all lines.
void Profile(int lines) {
  TElListBox* log = RavelinMainForm->LogBox;
  double add = 0, measure = 0, readTop = 0, setTop = 0, pump = 0;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < lines; ++i) {
    Clock::time_point t0 = Clock::now();
    log->Items()->Add(LineText(i));
    Clock::time_point t1 = Clock::now();
    const double h = log->Canvas()->TextExtent(u"Aj").cy;
    Clock::time_point t2 = Clock::now();
    const int top = log->TopIndex();
    Clock::time_point t3 = Clock::now();
    const int count = log->Items()->GetCount();
    if (static_cast<int>(log->Height() / h + 0.5) + top >= count - 3) log->SetTopIndex(count - 1);
    Clock::time_point t4 = Clock::now();
    if (i % 1000 == 999) Application->ProcessMessages();
    Clock::time_point t5 = Clock::now();
    add += Seconds(t0, t1);
    measure += Seconds(t1, t2);
    readTop += Seconds(t2, t3);
    setTop += Seconds(t3, t4);
    pump += Seconds(t4, t5);
  }
  const double total = Seconds(start, Clock::now());
  // A hand-over lets the main thread go idle between lines, and idling gives
  // the canvas's device context back: the next measure takes a new one.
  const Clock::time_point idleStart = Clock::now();
  for (int i = 0; i < lines; ++i) {
    TControlCanvas::FreeDeviceContexts();
    log->Canvas()->TextExtent(u"Aj");
  }
  const double measureAfterIdle = Seconds(idleStart, Clock::now());
  const Clock::time_point emptyStart = Clock::now();
  for (int i = 0; i < lines; ++i) RavelinMainForm->LogBox->TopIndex();
  const double topOnly = Seconds(emptyStart, Clock::now());
  WNDCLASSW nativeClass{};
  GetClassInfoW(nullptr, L"LISTBOX", &nativeClass);
  const WNDPROC nativeProc = nativeClass.lpfnWndProc;
  const Clock::time_point directStart = Clock::now();
  for (int i = 0; i < lines; ++i) CallWindowProcW(nativeProc, log->Handle(), LB_GETTOPINDEX, 0, 0);
  const double topDirect = Seconds(directStart, Clock::now());
  const Clock::time_point tickStart = Clock::now();
  for (int i = 0; i < lines; ++i) log->Perform(LB_GETTOPINDEX);
  const double ticks = Seconds(tickStart, Clock::now());
  // One whole paint of the shown rows, as each round of streamed rows ends with.
  log->FlushStream();
  const int paints = 50;
  const Clock::time_point paintStart = Clock::now();
  for (int i = 0; i < paints; ++i) RedrawWindow(log->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const double paint = Seconds(paintStart, Clock::now());
  std::printf("a whole paint of the shown rows %.1f ms\n", paint * 1e3 / paints);
  {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 800, 400);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const Clock::time_point printStart = Clock::now();
    for (int i = 0; i < paints; ++i) SendMessageW(log->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    const double printed = Seconds(printStart, Clock::now());
    const Clock::time_point textStart = Clock::now();
    HGDIOBJ oldFont = SelectObject(memory, log->Font()->Handle());
    for (int i = 0; i < paints * 21; ++i) {
      RECT r{0, 0, 700, 13};
      DrawTextW(memory, L"Found compressed File: C:\\bench\\directory\\file12345", -1, &r, DT_SINGLELINE);
    }
    SelectObject(memory, oldFont);
    const double texts = Seconds(textStart, Clock::now());
    const Clock::time_point drawStart = Clock::now();
    for (int i = 0; i < paints * 21; ++i) {
      DRAWITEMSTRUCT draw{ODT_LISTBOX, 0, static_cast<UINT>(i % 21), ODA_DRAWENTIRE, 0, log->Handle(), memory,
                          RECT{0, (i % 21) * 13, 700, (i % 21) * 13 + 13}, 0};
      log->Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    }
    const double draws = Seconds(drawStart, Clock::now());
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("the rows printed off screen %.1f ms; a row's text alone %.1f us; a row drawn by the list %.1f us\n",
                printed * 1e3 / paints, texts * 1e6 / (paints * 21), draws * 1e6 / (paints * 21));
  }
  std::printf("top read through the native procedure %.1f us, Perform %.1f us\n", topDirect * 1e6 / lines,
              ticks * 1e6 / lines);
  const double us = 1e6 / lines;
  std::printf("measure after idle %.1f us, top read alone %.1f us\n", measureAfterIdle * us, topOnly * us);
  std::printf("profile per line (us): add %.1f  measure %.1f  top read %.1f  top set %.1f  messages %.1f  "
              "total %.1f\n",
              add * us, measure * us, readTop * us, setTop * us, pump * us, total * us);
}

void Print(const char* name, int lines, int block, const TTimings& t) {
  std::printf("%-10s %9.0f lines/s   first %d: %.3f s   last %d: %.3f s   last/first %.2f\n", name,
              lines / t.total, block, t.first, block, t.last, t.last / t.first);
}

struct TRound {
  TTimings handOver;
  TTimings direct;
};

TRound RunRound(int lines, int block) {
  TRound round;
  round.handOver = HandOver(lines, block);
  RavelinMainForm->LogBox->Items()->Clear();
  Application->ProcessMessages();
  round.direct = Direct(lines, block);
  RavelinMainForm->LogBox->Items()->Clear();
  Application->ProcessMessages();
  return round;
}

}  // namespace

// Usage: handover_bench [LINES] [--hidden] [--profile]; --hidden measures
// only with the window unshown, which leaves out the cost of drawing;
// --profile prints where a direct append's time goes instead.
int main(int argc, char** argv) {
  int lines = 100000;
  bool hiddenOnly = false;
  bool profile = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--hidden")
      hiddenOnly = true;
    else if (std::string(argv[i]) == "--profile")
      profile = true;
    else
      lines = std::atoi(argv[i]);
  }
  if (lines < 2) lines = 2;
  const int block = lines >= 20000 ? 10000 : lines / 2;
  Application->Initialize();
  Application->SetTitle(u"Ravelin");
  Application->CreateForm(RavelinMainForm);
  if (hiddenOnly)
    RavelinMainForm->HandleNeeded();
  else
    RavelinMainForm->Show();
  Application->ProcessMessages();

  if (profile) {
    std::printf("%d log lines into the main window's log (%s)\n", lines, hiddenOnly ? "window not shown" : "window shown");
    Profile(lines);
    return 0;
  }

  // Memory: the log's lines against their texts, on the first round.
  const double before = HeapBytes();
  const TTimings firstHandOver = HandOver(lines, block);
  const double after = HeapBytes();
  double textBytes = 0;
  for (int i = 0; i < lines; ++i) textBytes += (LineText(i).size() + 1) * sizeof(char16_t);
  // Clearing, as a new run does with the last run's log.
  const Clock::time_point clearStart = Clock::now();
  RavelinMainForm->LogBox->Items()->Clear();
  const double clearSeconds = Seconds(clearStart, Clock::now());
  Application->ProcessMessages();
  const TTimings firstDirect = Direct(lines, block);
  RavelinMainForm->LogBox->Items()->Clear();
  Application->ProcessMessages();
  const TRound shown{firstHandOver, firstDirect};

  std::printf("%d log lines into the main window's log\n", lines);
  const char* firstName = hiddenOnly ? "hidden" : "shown";
  std::printf("window %s:\n", firstName);
  Print("hand-over", lines, block, shown.handOver);
  Print("direct", lines, block, shown.direct);
  std::printf("hand-over / direct time: %.2f\n", shown.handOver.total / shown.direct.total);
  const double floor = HandOverFloor(std::min(lines, 20000));
  std::printf("hand-over floor (a worker handing over a function that does nothing): %.0f per second; "
              "hand-over of lines / floor time: %.2f\n",
              floor, (shown.handOver.total / lines) * floor);
  std::printf("clearing the log of %d lines: %.3f s\n", lines, clearSeconds);
  std::printf("memory: %.0f bytes per line in the log (texts %.0f, the rest %.0f per line)\n",
              (after - before) / lines, textBytes / lines, (after - before - textBytes) / lines);
  if (!hiddenOnly) {
    RavelinMainForm->Hide();
    Application->ProcessMessages();
    const TRound hidden = RunRound(lines, block);
    std::printf("window hidden:\n");
    Print("hand-over", lines, block, hidden.handOver);
    Print("direct", lines, block, hidden.direct);
    std::printf("shown / hidden time: hand-over %.2f, direct %.2f\n", shown.handOver.total / hidden.handOver.total,
                shown.direct.total / hidden.direct.total);
  }
  std::fflush(stdout);
  return 0;
}
