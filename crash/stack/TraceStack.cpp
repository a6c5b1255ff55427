#include "crash/stack/TraceStack.h"

#include "crash/stack/AddressText.h"
#include "crash/stack/StackChains.h"
#include "crash/stack/StackCollector.h"
#include "crash/stack/StackItems.h"
#include "crash/stack/StackLinker.h"
#include "crash/stack/StackOutput.h"
#include "crash/stack/StackRecursion.h"

namespace {

TTraceStackResult InternalError(IStackEnvironment& env, const TTraceStackInput& in, const char* phase) {
  TTraceStackResult result;
  // A C++ exception carries no location, so the text names the phase only.
  result.Text = std::string(">> internal error in ") + phase;
  if (in.IsException) {
    TAddressTextOptions options;
    options.ShowRelAddrs = in.ShowRelAddrs;
    options.ShowRelLines = in.ShowRelLines;
    result.Text += "\r\n>> original exception location: \r\n" +
                   AddressText(env, in.CurrentAddress, options);
  }
  return result;
}

}  // namespace

TTraceStackResult TraceStack(IStackEnvironment& env, TFunctionList& functions, const TTraceStackInput& input) {
  TTraceState state(env, functions, input);
  TTraceStackResult result;
  const char* phase = "CollectPossibleStackItems";
  try {
    env.TraceStarts();
    if (!TStackCollector(state).Collect()) return result;
    state.CheckAbort();
    phase = "RemoveRecursiveStackAreas";
    RemoveRepeatedRecursion(state, true);
    state.CheckAbort();
    phase = "InDeepChecks";
    TStackLinker(state).Link();
    state.CheckAbort();
    phase = "RealizeOptimalLinkChains";
    TStackChains(state).Realize();
    state.CheckAbort();
    phase = "RemoveRecursiveAreas";
    RemoveRepeatedRecursion(state, false);
    state.Progress(1000);
    state.CheckAbort();
    TStackOutput output(state);
    phase = "FillFinalOutput";
    output.Fill(result);
    state.CheckAbort();
    phase = "ComposeResult";
    output.Compose(result);
    return result;
  } catch (const TTraceAborted&) {
    return TTraceStackResult();
  } catch (...) {
    try {
      return InternalError(env, input, phase);
    } catch (...) {
      TTraceStackResult bare;
      bare.Text = std::string(">> internal error in ") + phase;
      return bare;
    }
  }
}
