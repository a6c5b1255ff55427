// Log lines handed over from a worker into the main window's log, against the
// same lines appended on the main thread directly, in one run. Prints lines
// per second of both and their ratio, and for each the time of the last
// 10,000 of the lines against the first 10,000 (appending must not slow down
// as the log grows).
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
  const double us = 1e6 / lines;
  std::printf("profile per line (us): add %.1f  measure %.1f  top read %.1f  top set %.1f  messages %.1f  "
              "total %.1f\n",
              add * us, measure * us, readTop * us, setTop * us, pump * us, total * us);
}

void Print(const char* name, int lines, int block, const TTimings& t) {
  std::printf("%-10s %9.0f lines/s   first %d: %.3f s   last %d: %.3f s   last/first %.2f\n", name,
              lines / t.total, block, t.first, block, t.last, t.last / t.first);
}

}  // namespace

// Usage: handover_bench [LINES] [--hidden]; --hidden keeps the window unshown,
// which leaves out the cost of drawing on the display.
int main(int argc, char** argv) {
  int lines = 100000;
  bool hidden = false;
  bool profile = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--hidden")
      hidden = true;
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
  if (hidden)
    RavelinMainForm->HandleNeeded();
  else
    RavelinMainForm->Show();
  Application->ProcessMessages();

  std::printf("%d log lines into the main window's log (%s)\n", lines, hidden ? "window not shown" : "window shown");
  if (profile) {
    Profile(lines);
    return 0;
  }
  const TTimings handOver = HandOver(lines, block);
  RavelinMainForm->LogBox->Items()->Clear();
  Application->ProcessMessages();
  const TTimings direct = Direct(lines, block);
  Print("hand-over", lines, block, handOver);
  Print("direct", lines, block, direct);
  std::printf("hand-over / direct time: %.2f\n", handOver.total / direct.total);
  std::fflush(stdout);
  return 0;
}
