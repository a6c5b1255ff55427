// Traces every thread of a process whose ten worker threads each wait 20
// distinct frames deep: once cold (nothing analysed, maps not loaded) and
// once warm, from sampling to finished text. The peer is the sampling alone
// (open, pause, context, stack copy, raw scan), which any trace must pay.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "crash/stack/win32/StackTracer.h"
#include "crash/stack/win32/Win32StackEnvironment.h"
#include "bench/support/ParkedThreads.h"
#include "platform/win32/HandleOwners.h"

namespace {

constexpr int kThreads = 10;
using parked::kDepth;


using TClock = std::chrono::steady_clock;
double Milliseconds(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct TRound {
  double Milliseconds = 0;
  std::size_t Lines = 0;
  std::size_t Bytes = 0;
};

TRound TraceAll(TStackTracer& tracer, TThreadSampler& sampler) {
  TRound round;
  const auto start = TClock::now();
  std::vector<TThreadSample> samples;
  for (DWORD id : ThreadsOfThisProcess()) samples.push_back(sampler.Sample(id));
  for (const TThreadSample& sample : samples) {
    const TTraceStackResult result = tracer.TraceSample(sample, TStackTraceOptions());
    round.Bytes += result.Text.size();
    round.Lines += result.Text.empty() ? 0 : 1;
    for (char c : result.Text) round.Lines += c == '\n';
  }
  round.Milliseconds = Milliseconds(TClock::now() - start);
  return round;
}

double SampleAll(TThreadSampler& sampler) {
  const auto start = TClock::now();
  std::size_t entries = 0;
  for (DWORD id : ThreadsOfThisProcess()) entries += sampler.Sample(id).Prepared.size();
  parked::gSink = parked::gSink + static_cast<int>(entries);
  return Milliseconds(TClock::now() - start);
}

}  // namespace

int main() {
  TParkedThreads threads(kThreads);
  threads.WaitUntilParked();

  TThreadSampler sampler(SystemStackEnvironment());
  TStackTracer tracer(SystemStackEnvironment());
  const TRound cold = TraceAll(tracer, sampler);
  const TRound warm = TraceAll(tracer, sampler);
  const double sampling = SampleAll(sampler);

  std::printf("threads traced: %zu (%d workers %d frames deep), %zu lines, %zu bytes of text\n",
              ThreadsOfThisProcess().size(), kThreads, kDepth, warm.Lines, warm.Bytes);
  std::printf("cold trace of all threads: %8.1f ms\n", cold.Milliseconds);
  std::printf("warm trace of all threads: %8.1f ms\n", warm.Milliseconds);
  std::printf("sampling alone:            %8.1f ms\n", sampling);
  std::printf("warm / sampling: %.1f, cold / warm: %.1f\n", warm.Milliseconds / sampling,
              cold.Milliseconds / warm.Milliseconds);
  return 0;
}
