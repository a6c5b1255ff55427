// A whole bug report of a process with ten worker threads, each waiting 20
// distinct frames deep, and one thread whose captured context is the
// exception: from the exception to the finished text, once cold (maps not
// read, nothing analysed) and once warm. The peer is the sampling of all
// threads alone (open, pause, context, stack copy, raw scan), which any
// report must pay. The warm round also shows where its time goes, section by
// section (--steps); --print shows the warm report.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "crash/TIMESettings.h"
#include "crash/report/ReportText.h"
#include "crash/report/win32/HeaderCollector.h"
#include "crash/report/win32/ReportBuild.h"
#include "crash/stack/win32/Win32StackEnvironment.h"
#include "crash/win32/Win32SettingsEnvironment.h"
#include "bench/support/ParkedThreads.h"
#include "platform/win32/HandleOwners.h"

namespace {

constexpr int kThreads = 10;
using parked::kDepth;

CONTEXT gContext{};
DWORD gFailingId = 0;

// Stands for the faulting function: its context is the exception's, and it
// stays in place while the report is made, as a reporting thread waits.
__attribute__((noinline)) void Failing() {
  RtlCaptureContext(&gContext);
  parked::Park();
  parked::gSink = parked::gSink + 1;
}

// Some callers below the failing function.
template <int N>
__attribute__((noinline)) void Callers() {
  if constexpr (N == 0)
    Failing();
  else
    Callers<N - 1>();
  parked::gSink = parked::gSink + 1;
}

DWORD WINAPI FailingBody(void*) {
  Callers<5>();
  return 0;
}

using TClock = std::chrono::steady_clock;
double Milliseconds(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct TRound {
  double Start = 0, Complete = 0;
  std::size_t Bytes = 0, Sections = 0;
  std::string Text;
  std::vector<std::pair<std::string, double>> Steps;  // section, ms since the previous one
};

TRound Report(TReportServices& services, IMESettings& settings) {
  TReportSubject subject;
  subject.FailingThreadId = gFailingId;
  subject.ExceptionAddress = gContext.Eip;
  subject.HasContext = true;
  subject.Context = gContext;
  subject.HasExceptionObject = true;
  subject.ExceptionClass = "EAccessViolation";
  subject.ExceptionMessage = "Access violation";
  TIMEFields header, sections;
  TRound round;
  TReportBuild build(services, settings, subject, header, sections);
  const auto begin = TClock::now();
  build.Start();
  const auto started = TClock::now();
  auto last = started;
  std::vector<std::pair<std::string, std::string>> before = sections.Items();
  sections.OnChange = [&] {
    const auto now = TClock::now();
    const auto items = sections.Items();
    for (std::size_t i = 0; i < items.size() && i < before.size(); ++i)
      if (items[i].second != before[i].second) round.Steps.emplace_back(items[i].first, Milliseconds(now - last));
    before = items;
    last = now;
  };
  const std::atomic<bool> stop{false};
  build.Complete(stop);
  const std::string text = AssembleReportText(header, sections);
  const auto done = TClock::now();
  round.Start = Milliseconds(started - begin);
  round.Complete = Milliseconds(done - started);
  round.Bytes = text.size();
  round.Text = text;
  round.Sections = static_cast<std::size_t>(sections.Count());
  return round;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc > 1 ? argv[1] : "";
  const bool showSteps = option == "--steps";
  TParkedThreads threads(kThreads);
  threads.Add(FailingBody, &gFailingId);
  threads.WaitUntilParked();
  Sleep(50);

  SetSettingsMessageBox([](const std::string&, const std::string&) {});
  TIMESettings settings(SystemSettingsEnvironment(), reinterpret_cast<TModuleHandle>(GetModuleHandleW(nullptr)));
  TStackTracer tracer(SystemStackEnvironment());
  TReportServices services(tracer, nullptr, ReporterStartCounter());
  const TRound cold = Report(services, settings);
  const TRound warm = Report(services, settings);

  const auto sampleStart = TClock::now();
  const TCollectedThreads sampled = services.CollectThreads(gFailingId);
  const double sampling = Milliseconds(TClock::now() - sampleStart);

  std::printf("threads: %zu (%d workers %d frames deep and the failing one), %zu sections, %zu bytes of report\n",
              sampled.Threads.size(), kThreads, kDepth, warm.Sections, warm.Bytes);
  std::printf("cold report: %8.1f ms (start %.1f, completion %.1f)\n", cold.Start + cold.Complete, cold.Start,
              cold.Complete);
  std::printf("warm report: %8.1f ms (start %.1f, completion %.1f)\n", warm.Start + warm.Complete, warm.Start,
              warm.Complete);
  std::printf("sampling alone: %5.1f ms\n", sampling);
  std::printf("warm / sampling: %.1f, cold / warm: %.1f, target warm < 1000 ms: %s\n",
              (warm.Start + warm.Complete) / sampling, (cold.Start + cold.Complete) / (warm.Start + warm.Complete),
              warm.Start + warm.Complete < 1000 ? "met" : "missed");
  if (showSteps)
    for (const auto& [name, ms] : warm.Steps) std::printf("  %8.1f ms  %s\n", ms, name.c_str());
  if (option == "--print") std::printf("\n%s\n", warm.Text.c_str());
  return 0;
}
