#include <gtest/gtest.h>

#include <atomic>
#include <sstream>

#include "crash/stack/AddressText.h"
#include "crash/stack/PrepareStack.h"
#include "crash/stack/TraceStack.h"
#include "tests/crash/stack/FakeProcess.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size() && !text.empty()) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines;
}

std::string Hex8(TStackAddress a) {
  char text[12];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(a));
  return text;
}

// The function names of a trace, innermost first (the last field of each line).
std::vector<std::string> Functions(const std::string& text) {
  std::vector<std::string> names;
  for (const std::string& line : Lines(text)) names.push_back(line.substr(line.find_last_of(' ') + 1));
  return names;
}

// start -> main -> A -> B -(through a pointer)-> C, which faults at its second step.
std::vector<TFakeFunctionSpec> ChainCode() {
  return {{"start", 5, {{TFakeStep::Call, "main", 6}}},
          {"main", 10, {{TFakeStep::Call, "A", 11}, {TFakeStep::Call, "B", 12}}},
          {"A", 20, {{TFakeStep::Nop, "", 21}, {TFakeStep::Call, "B", 22}}},
          {"B", 30, {{TFakeStep::Nop, "", 31}, {TFakeStep::CallIndirect, "", 32}}},
          {"C", 40, {{TFakeStep::Nop, "", 41}, {TFakeStep::Nop, "", 42}, {TFakeStep::Nop, "", 43}}}};
}

struct TScenario {
  TFakeProcess Process;
  TFakeStack Stack{0x130000};
  TFunctionList FunctionList;
  TTraceStackInput Input;

  TTraceStackResult Trace() { return TraceStack(Process, FunctionList, Input); }
  void Finish(TStackAddress current, bool exception = true) {
    Stack.MapInto(Process);
    Input.StackTop = Stack.Top();
    Input.StackBottom = Stack.Bottom();
    Input.FramePointer = Stack.FramePointer();
    Input.CurrentAddress = current;
    Input.IsException = exception;
  }
};

// The chain above, in an image loaded at `base`; `viaA` false skips A.
void BuildChain(TScenario& s, TStackAddress base, bool viaA = true) {
  TFakeProcess& p = s.Process;
  p.AddModule("Chain.exe", base, ChainCode(), true);
  s.Stack.Locals(2);
  s.Stack.Call(p.ReturnAddress("start", 0));
  s.Stack.Locals(3, 7);
  if (viaA) {
    s.Stack.Call(p.ReturnAddress("main", 0));
    s.Stack.Locals(2, 0x20);
    s.Stack.Call(p.ReturnAddress("A", 1));
  } else {
    s.Stack.Call(p.ReturnAddress("main", 1));
  }
  s.Stack.Locals(1, 0);
  s.Stack.Call(p.ReturnAddress("B", 1));
  s.Stack.Locals(2, 0x55);
  s.Finish(p.StepAddress("C", 1));
}

TEST(TraceStack, NamesEveryFrameOfTheChainInnermostFirstInColumns) {
  TScenario s;
  BuildChain(s, 0x400000);
  const TTraceStackResult r = s.Trace();
  const TFakeProcess& p = s.Process;
  EXPECT_EQ(Lines(r.Text), (std::vector<std::string>{
                               Hex8(p.StepAddress("C", 1)) + " Chain.exe chain 42 C",
                               Hex8(p.StepAddress("B", 1)) + " Chain.exe chain 32 B",
                               Hex8(p.StepAddress("A", 1)) + " Chain.exe chain 22 A",
                               Hex8(p.StepAddress("main", 0)) + " Chain.exe chain 11 main",
                               Hex8(p.StepAddress("start", 0)) + " Chain.exe chain  6 start",
                           }));
  EXPECT_TRUE(r.HasLineInformation);
  EXPECT_EQ(r.InnermostAddress, p.StepAddress("C", 1));
  EXPECT_EQ(r.DisasmFunctionStart, p.FunctionStart("C"));
  EXPECT_EQ(r.DisasmAddress, p.StepAddress("C", 1));
  EXPECT_EQ(r.Fingerprints, (std::vector<std::string>{"Chain.exe|" + s.Process.Module(0).Fingerprint}));
}

TEST(TraceStack, ShowsRelativeAddressesAndLinesInTheirOwnColumns) {
  TScenario s;
  BuildChain(s, 0x400000);
  s.Input.ShowRelAddrs = true;
  s.Input.ShowRelLines = true;
  s.Input.WantStackTrace = true;
  const TTraceStackResult r = s.Trace();
  const TFakeProcess& p = s.Process;
  auto offset = [&](const char* f, std::size_t step) { return p.StepAddress(f, step) - p.FunctionStart(f); };
  const std::vector<std::string> lines = Lines(r.Text);
  ASSERT_EQ(lines.size(), 5u);
  // Offsets are as wide as the largest; the line number column stands before the figure.
  EXPECT_EQ(lines[0], Hex8(p.StepAddress("C", 1)) + " +4 Chain.exe chain 42 +2 C");
  EXPECT_EQ(lines[4], Hex8(p.StepAddress("start", 0)) + " +3 Chain.exe chain  6 +1 start");
  ASSERT_EQ(r.Trace.size(), 5u);
  EXPECT_EQ(r.Trace[1].FunctionName, "B");
  EXPECT_EQ(r.Trace[1].Offset, offset("B", 1));
  EXPECT_EQ(r.Trace[1].Line, 32);
  EXPECT_EQ(r.Trace[1].RelativeLine, 2);
  EXPECT_EQ(r.Trace[1].ModuleName, "Chain.exe");
}

TEST(TraceStack, ChecksumsFollowTheCallChainNotTheLoadAddress) {
  TScenario low, high, other;
  BuildChain(low, 0x400000);
  BuildChain(high, 0x10000000);
  BuildChain(other, 0x400000, false);
  const TTraceStackResult a = low.Trace(), b = high.Trace(), c = other.Trace();
  EXPECT_NE(a.Text, b.Text);
  EXPECT_EQ(a.Checksum1, b.Checksum1);
  EXPECT_EQ(a.Checksum2, b.Checksum2);
  // The innermost frame is the same without A; the chain is not.
  EXPECT_EQ(a.Checksum1, c.Checksum1);
  EXPECT_NE(a.Checksum2, c.Checksum2);
}

TEST(TraceStack, ChecksumOfALineWithoutFunctionFollowsItsAddress) {
  TScenario low, high;
  for (TScenario* s : {&low, &high}) {
    const TStackAddress base = s == &low ? 0x400000 : 0x10000000;
    s->Process.AddModule("Chain.exe", base, ChainCode(), false);
    s->Stack.Locals(2);
    s->Stack.Call(s->Process.ReturnAddress("main", 0));
    s->Stack.Locals(2);
    s->Finish(s->Process.StepAddress("A", 0));
  }
  const TTraceStackResult a = low.Trace(), b = high.Trace();
  EXPECT_EQ(a.Checksum1, low.Process.StepAddress("A", 0));
  EXPECT_NE(a.Checksum1, b.Checksum1);
  EXPECT_FALSE(a.HasLineInformation);
}

TEST(TraceStack, ReadsTheSameFromAPreparedStack) {
  TScenario s;
  BuildChain(s, 0x400000);
  const std::string direct = s.Trace().Text;
  const TPreparedStack prepared = PrepareStack(s.Process, s.Input.FramePointer, s.Input.StackTop,
                                               s.Input.StackBottom, true, s.Input.CurrentAddress);
  ASSERT_FALSE(prepared.empty());
  s.Input.Prepared = &prepared;
  EXPECT_EQ(s.Trace().Text, direct);
}

TEST(TraceStack, ShowsARecursionThatRepeatsOnlyOnce) {
  TScenario s;
  TFakeProcess& p = s.Process;
  p.AddModule("Chain.exe", 0x400000,
              {{"main", 10, {{TFakeStep::Call, "A", 11}}},
               {"Leaf", 60, {{TFakeStep::Nop, "", 61}}},
               {"A", 20, {{TFakeStep::Call, "B", 21}, {TFakeStep::Call, "Leaf", 22}}},
               {"B", 30, {{TFakeStep::Call, "A", 31}}}},
              true);
  s.Stack.Call(p.ReturnAddress("main", 0));
  for (int round = 0; round < 2; ++round) {
    s.Stack.Call(p.ReturnAddress("A", 0));
    s.Stack.Locals(1, 3);
    s.Stack.Call(p.ReturnAddress("B", 0));
  }
  s.Stack.Call(p.ReturnAddress("A", 1));
  s.Finish(p.StepAddress("Leaf", 0));
  // Outside in the frames read main, A, B, A, B, A, Leaf.
  EXPECT_EQ(Functions(s.Trace().Text), (std::vector<std::string>{"Leaf", "A", "B", "A", "main"}));
}

TEST(TraceStack, FindsAFramelessFrameAndDropsAStaleReturnAddress) {
  TScenario s;
  TFakeProcess& p = s.Process;
  p.AddModule("Chain.exe", 0x400000,
              {{"main", 10, {{TFakeStep::Call, "A", 11}}},
               {"Old", 70, {{TFakeStep::Nop, "", 71}}},
               {"A", 20, {{TFakeStep::Call, "Old", 21}, {TFakeStep::Call, "L", 22}}},
               {"L", 50, {{TFakeStep::CallIndirect, "", 51}}, true},
               {"X", 80, {{TFakeStep::Nop, "", 81}}}},
              true);
  s.Stack.Call(p.ReturnAddress("main", 0));
  // What the earlier call of Old left behind in A's locals.
  s.Stack.Locals(1, p.ReturnAddress("A", 0));
  s.Stack.Locals(1, 9);
  s.Stack.Call(p.ReturnAddress("A", 1), false);  // L keeps no frame
  s.Stack.Call(p.ReturnAddress("L", 0));
  s.Finish(p.StepAddress("X", 0));
  EXPECT_EQ(Functions(s.Trace().Text), (std::vector<std::string>{"X", "L", "A", "main"}));
}

// A caller reached through a pointer runs a leaf that makes no calls and keeps
// no frame: only the leaf's own code places the current address under the
// caller's call, whether the thread faulted there or was paused in it.
TEST(TraceStack, KeepsTheCallerOfALeafWithoutCallsOrFrame) {
  for (const bool exception : {true, false}) {
    SCOPED_TRACE(exception ? "fault in the leaf" : "paused in the leaf");
    TScenario s;
    TFakeProcess& p = s.Process;
    p.AddModule("Chain.exe", 0x400000,
                {{"main", 10, {{TFakeStep::CallIndirect, "", 11}}},
                 {"A", 20, {{TFakeStep::Nop, "", 21}, {TFakeStep::Call, "L", 22}}},
                 {"L", 50, {{TFakeStep::Nop, "", 51}, {TFakeStep::Nop, "", 52}, {TFakeStep::Nop, "", 53}}, true}},
                true);
    s.Stack.Locals(2);
    s.Stack.Call(p.ReturnAddress("main", 0));
    s.Stack.Locals(1, 0);
    s.Stack.Call(p.ReturnAddress("A", 1), false);
    s.Finish(p.StepAddress("L", 1), exception);
    EXPECT_EQ(Functions(s.Trace().Text), (std::vector<std::string>{"L", "A", "main"}));
  }
}

// main calls Dispatch through a pointer, Dispatch calls Handler through a
// pointer, Handler calls Leaf, which faults. Old is code that ran earlier on
// the same stack: its calls left return addresses in what are now locals.
std::vector<TFakeFunctionSpec> DispatchCode() {
  return {{"main", 10, {{TFakeStep::CallIndirect, "", 11}}},
          {"Dispatch", 20, {{TFakeStep::Nop, "", 21}, {TFakeStep::CallIndirect, "", 22}}},
          {"Handler", 30, {{TFakeStep::Call, "Leaf", 31}}},
          {"Leaf", 50, {{TFakeStep::Nop, "", 51}, {TFakeStep::Nop, "", 52}}},
          {"Old", 40, {{TFakeStep::CallIndirect, "", 41}, {TFakeStep::Call, "Handler", 42},
                       {TFakeStep::Call, "Leaf", 43}}}};
}

struct TLeftover {
  const char* Function;  // a return address of this function's step
  std::size_t Step;
  bool InHandler;        // left in Handler's locals, else in Dispatch's
};

void BuildDispatch(TScenario& s, const std::vector<TLeftover>& leftovers) {
  TFakeProcess& p = s.Process;
  p.AddModule("Chain.exe", 0x400000, DispatchCode(), true);
  auto leave = [&](bool inHandler) {
    for (const TLeftover& l : leftovers)
      if (l.InHandler == inHandler) s.Stack.Locals(1, p.ReturnAddress(l.Function, l.Step));
    s.Stack.Locals(1, 0);
  };
  s.Stack.Locals(2);
  s.Stack.Call(p.ReturnAddress("main", 0));
  leave(false);
  s.Stack.Call(p.ReturnAddress("Dispatch", 1));
  leave(true);
  s.Stack.Call(p.ReturnAddress("Handler", 0));
  s.Finish(p.StepAddress("Leaf", 1));
}

// Each leftover is a return address of a real call, but the frame-pointer
// chain says who called whom: a call that cannot reach the function of the
// frame inside it is no frame, whatever it links to.
TEST(TraceStack, DropsStaleReturnAddressesWhoseCallCannotReachTheFrameInside) {
  TScenario clean;
  BuildDispatch(clean, {});
  const TTraceStackResult expected = clean.Trace();
  ASSERT_EQ(Functions(expected.Text), (std::vector<std::string>{"Leaf", "Handler", "Dispatch", "main"}));
  const std::vector<std::vector<TLeftover>> cases = {
      {{"Old", 0, false}},                     // a call through a pointer, between main and Dispatch's call
      {{"Old", 1, false}},                     // a direct call of Handler, which Dispatch called instead
      {{"Old", 0, true}},                      // a call through a pointer, between Dispatch and Handler's call
      {{"Old", 2, true}},                      // a direct call of Leaf, which Handler called instead
      {{"Old", 0, false}, {"Old", 1, false}, {"Old", 0, true}, {"Old", 2, true}},
  };
  for (std::size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    TScenario s;
    BuildDispatch(s, cases[c]);
    const TTraceStackResult r = s.Trace();
    EXPECT_EQ(r.Text, expected.Text);
    EXPECT_EQ(r.Checksum1, expected.Checksum1);
    EXPECT_EQ(r.Checksum2, expected.Checksum2);
    // The same from the list a thread's scan keeps.
    const TPreparedStack prepared = PrepareStack(s.Process, s.Input.FramePointer, s.Input.StackTop,
                                                 s.Input.StackBottom, true, s.Input.CurrentAddress);
    s.Input.Prepared = &prepared;
    const TTraceStackResult fromPrepared = s.Trace();
    EXPECT_EQ(fromPrepared.Text, expected.Text);
    EXPECT_EQ(fromPrepared.Checksum2, expected.Checksum2);
  }
}

// start calls main, main calls the system's dispatcher through its import
// (so the call's target is unknown), the dispatcher (a system routine without
// map, behind a patchable stub, realigning its stack before its frame) calls
// Handler through a pointer, Handler calls Leaf. Old ran earlier on the same
// stack: its calls through pointers can be taken to reach anything.
struct TRealignedLeftovers {
  std::vector<std::size_t> InGap;     // steps of Old, left in the alignment gap
  std::vector<std::size_t> InLocals;  // steps of Old, left in the dispatcher's locals
};

void BuildRealignedDispatch(TScenario& s, const TRealignedLeftovers& leftovers) {
  TFakeProcess& p = s.Process;
  p.AddModule("Chain.exe", 0x400000,
              {{"start", 5, {{TFakeStep::Call, "main", 6}}},
               {"main", 10, {{TFakeStep::Nop, "", 11}, {TFakeStep::CallIndirect, "", 12}}},
               {"Handler", 30, {{TFakeStep::Call, "Leaf", 31}}},
               {"Leaf", 50, {{TFakeStep::Nop, "", 51}, {TFakeStep::Nop, "", 52}}},
               {"Old", 40, {{TFakeStep::CallIndirect, "", 41}, {TFakeStep::Call, "Handler", 42}}}},
              true);
  TFakeFunctionSpec dispatcher{"Dispatcher", 0, {{TFakeStep::Nop, "", 0}, {TFakeStep::CallIndirect, "", 0}}};
  dispatcher.Realigns = true;
  const int system = p.AddModule("system.dll", 0x7000000, {dispatcher}, false, false);
  p.AddExport(system, "DispatchMessage", p.FunctionStart("Dispatcher"));
  auto old = [&](const std::vector<std::size_t>& steps) {
    std::vector<TStackAddress> values;
    for (std::size_t step : steps) values.push_back(p.ReturnAddress("Old", step));
    return values;
  };
  s.Stack.Locals(2);
  s.Stack.Call(p.ReturnAddress("start", 0));
  s.Stack.Locals(1, 0);
  s.Stack.CallRealigning(p.ReturnAddress("main", 1), old(leftovers.InGap));
  s.Stack.Locals(1, 0x130000);  // the saved pointer to the arguments
  for (TStackAddress value : old(leftovers.InLocals)) s.Stack.Locals(1, value);
  s.Stack.Locals(1, 0);
  s.Stack.Call(p.ReturnAddress("Dispatcher", 1));
  s.Stack.Call(p.ReturnAddress("Handler", 0));
  s.Finish(p.StepAddress("Leaf", 1));
}

// The frame chain passes through the copy of the return address that a
// realigning routine pushes above its frame: leftovers in its locals or in
// its alignment gap are not frames, even where the call into it has no
// known target.
TEST(TraceStack, DropsLeftoversAroundTheFrameOfARoutineThatRealignsItsStack) {
  TScenario clean;
  BuildRealignedDispatch(clean, {});
  const TTraceStackResult expected = clean.Trace();
  ASSERT_EQ(Functions(expected.Text),
            (std::vector<std::string>{"Leaf", "Handler", "DispatchMessage", "main", "start"}));
  const std::vector<TRealignedLeftovers> cases = {
      {{}, {0}},
      {{0}, {}},
      {{0, 1, 0}, {}},
      {{1, 0}, {0, 1, 0}},
  };
  for (std::size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    TScenario s;
    BuildRealignedDispatch(s, cases[c]);
    const TTraceStackResult r = s.Trace();
    EXPECT_EQ(r.Text, expected.Text);
    EXPECT_EQ(r.Checksum1, expected.Checksum1);
    EXPECT_EQ(r.Checksum2, expected.Checksum2);
    const TPreparedStack prepared = PrepareStack(s.Process, s.Input.FramePointer, s.Input.StackTop,
                                                 s.Input.StackBottom, true, s.Input.CurrentAddress);
    s.Input.Prepared = &prepared;
    const TTraceStackResult fromPrepared = s.Trace();
    EXPECT_EQ(fromPrepared.Text, expected.Text);
    EXPECT_EQ(fromPrepared.Checksum2, expected.Checksum2);
  }
}

// Handler keeps no frame, so Dispatch's call of it is no frame-chain slot
// and only the links can tell it from what Old left behind: a call of Helper,
// whose own call through a pointer would have left a return address of its
// own between them.
TEST(TraceStack, DropsAStaleCallOfAKnownFunctionThatLeftNoFrameOfItsOwn) {
  TScenario s;
  TFakeProcess& p = s.Process;
  p.AddModule("Chain.exe", 0x400000,
              {{"main", 10, {{TFakeStep::CallIndirect, "", 11}}},
               {"Dispatch", 20, {{TFakeStep::Nop, "", 21}, {TFakeStep::CallIndirect, "", 22}}},
               {"Leaf", 50, {{TFakeStep::Nop, "", 51}, {TFakeStep::Nop, "", 52}}},
               {"Handler", 30, {{TFakeStep::Call, "Leaf", 31}}, true},
               {"Helper", 60, {{TFakeStep::CallIndirect, "", 61}}},
               {"Old", 40, {{TFakeStep::Call, "Helper", 41}}}},
              true);
  s.Stack.Locals(2);
  s.Stack.Call(p.ReturnAddress("main", 0));
  s.Stack.Locals(1, p.ReturnAddress("Old", 0));
  s.Stack.Locals(1, 0);
  s.Stack.Call(p.ReturnAddress("Dispatch", 1), false);
  s.Stack.Call(p.ReturnAddress("Handler", 0));
  s.Finish(p.StepAddress("Leaf", 1));
  EXPECT_EQ(Functions(s.Trace().Text), (std::vector<std::string>{"Leaf", "Handler", "Dispatch", "main"}));
}

// A frame whose call its function's analysis never reached (code behind a
// jump it could not follow) is still shown at its call, with the call's line.
TEST(TraceStack, ShowsAFrameAtItsCallEvenWhenTheAnalysisMissedTheCall) {
  TScenario s;
  TFakeProcess& p = s.Process;
  p.AddModule("Chain.exe", 0x400000,
              {{"main", 10, {{TFakeStep::Call, "Body", 11}}},
               {"Body", 20, {{TFakeStep::Nop, "", 21}, {TFakeStep::Return, "", 22}, {TFakeStep::Call, "Leaf", 23},
                             {TFakeStep::Nop, "", 24}}},
               {"Leaf", 50, {{TFakeStep::Nop, "", 51}, {TFakeStep::Nop, "", 52}}}},
              true);
  s.Stack.Locals(2);
  s.Stack.Call(p.ReturnAddress("main", 0));
  s.Stack.Locals(1, 0);
  s.Stack.Call(p.ReturnAddress("Body", 2));
  s.Finish(p.StepAddress("Leaf", 1));
  EXPECT_EQ(Lines(s.Trace().Text), (std::vector<std::string>{
                                       Hex8(p.StepAddress("Leaf", 1)) + " Chain.exe chain 52 Leaf",
                                       Hex8(p.StepAddress("Body", 2)) + " Chain.exe chain 23 Body",
                                       Hex8(p.StepAddress("main", 0)) + " Chain.exe chain 11 main",
                                   }));
}

TEST(TraceStack, NamesASystemRoutineByItsExportAndHidesItWhenAskedTo) {
  TScenario s;
  TFakeProcess& p = s.Process;
  const int user = p.AddModule("user32.dll", 0x70000000,
                               {{"EnumWindows", 0, {{TFakeStep::Nop, "", 0}, {TFakeStep::CallIndirect, "", 0}}}},
                               false, false);
  p.AddModule("Chain.exe", 0x400000,
              {{"main", 10, {{TFakeStep::Call, "EnumWindows", 11}}}, {"Callback", 90, {{TFakeStep::Nop, "", 91}}}},
              true);
  p.AddExport(user, "EnumWindows", p.FunctionStart("EnumWindows"));
  s.Stack.Call(p.ReturnAddress("main", 0));
  s.Stack.Locals(2);
  s.Stack.Call(p.ReturnAddress("EnumWindows", 1));
  s.Finish(p.StepAddress("Callback", 0));
  const std::vector<std::string> shown = Lines(s.Trace().Text);
  ASSERT_EQ(shown.size(), 3u);
  // Padding for the unit ("chain") and the figure ("11") columns it lacks.
  EXPECT_EQ(shown[1], Hex8(p.StepAddress("EnumWindows", 1)) + " user32.dll " + std::string(6 + 3, ' ') + "EnumWindows");
  s.Input.HideUglyItems = true;
  EXPECT_EQ(Functions(s.Trace().Text), (std::vector<std::string>{"Callback", "main"}));
}

TEST(TraceStack, WithoutLineInformationTheLineColumnsAreAbsent) {
  TScenario s;
  s.Process.AddModule("Chain.exe", 0x400000, ChainCode(), false);
  s.Stack.Call(s.Process.ReturnAddress("main", 0));
  s.Finish(0x00500000);  // a jump into memory outside every module
  s.Input.ShowRelAddrs = false;
  const std::vector<std::string> shown = Lines(s.Trace().Text);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "00500000 ???  ");
}

TEST(TraceStack, ShowsTheCallingLineOfAnExceptionRaisedThroughARaiseRoutine) {
  TScenario s;
  TFakeProcess& p = s.Process;
  p.AddModule("Chain.exe", 0x400000,
              {{"main", 10, {{TFakeStep::Call, "A", 11}}},
               {"ThrowError", 15, {{TFakeStep::Nop, "", 16}}},
               {"A", 20, {{TFakeStep::Call, "ThrowError", 21}, {TFakeStep::Nop, "", 23}}}},
              true);
  s.Stack.Call(p.ReturnAddress("main", 0));
  s.Stack.Locals(2);
  // The raise routine reports the address its call returns to.
  s.Finish(p.ReturnAddress("A", 0));
  EXPECT_EQ(Lines(s.Trace().Text).front(), Hex8(p.StepAddress("A", 0)) + " Chain.exe chain 21 A");
  // A system exception really happened at that address.
  s.Input.IsSystemException = true;
  EXPECT_EQ(Lines(s.Trace().Text).front(), Hex8(p.StepAddress("A", 1)) + " Chain.exe chain 23 A");
}

TEST(TraceStack, AddsTheCreationAddressAsTheOutermostLine) {
  TScenario s;
  BuildChain(s, 0x400000);
  s.Input.HasCreationAddress = true;
  s.Input.CreationAddress = s.Process.FunctionStart("start");
  const std::vector<std::string> shown = Lines(s.Trace().Text);
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown.back(), Hex8(s.Process.FunctionStart("start")) + " Chain.exe chain  5 start");
}

TEST(TraceStack, AFailingPhaseGivesTheInternalErrorText) {
  TScenario s;
  BuildChain(s, 0x400000);
  s.Process.FailLineLookups = true;
  const TTraceStackResult r = s.Trace();
  EXPECT_EQ(r.Text, ">> internal error in FillFinalOutput\r\n>> original exception location: \r\n" +
                        Hex8(s.Process.StepAddress("C", 1)) + " ???");
}

TEST(TraceStack, AnAbortLeavesTheTextEmptyAndProgressRunsToTheEnd) {
  TScenario s;
  BuildChain(s, 0x400000);
  std::vector<int> seen;
  s.Input.Progress = [&](int position) { seen.push_back(position); };
  EXPECT_FALSE(s.Trace().Text.empty());
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 1000);

  std::atomic<bool> abort{false};
  s.Input.Abort = &abort;
  s.Input.Progress = [&](int position) {
    if (position >= 25) abort = true;
  };
  const TTraceStackResult r = s.Trace();
  EXPECT_TRUE(r.Text.empty());
  EXPECT_EQ(r.Checksum2, 0u);
}

TEST(TraceStack, AnUnreadableStackGivesNoText) {
  TScenario s;
  BuildChain(s, 0x400000);
  s.Input.StackTop += 0x10000;
  EXPECT_TRUE(s.Trace().Text.empty());
}

TEST(TraceStack, AWarmTraceAnalysesNothingAgain) {
  TScenario s;
  BuildChain(s, 0x400000);
  const std::string first = s.Trace().Text;
  const int analysed = s.Process.AnalyseCount;
  EXPECT_GT(analysed, 0);
  EXPECT_EQ(s.Trace().Text, first);
  EXPECT_EQ(s.Process.AnalyseCount, analysed);
}

TEST(AddressText, GivesModuleUnitLineAndFunctionOrTheUnknownForm) {
  TFakeProcess p;
  p.AddModule("Chain.exe", 0x400000, ChainCode(), true);
  const TStackAddress inB = p.StepAddress("B", 1);
  const TStackAddress startOfB = p.FunctionStart("B");
  p.AddModule("Plain.dll", 0x10000000, ChainCode(), false, false);
  const std::string at = Hex8(inB);
  const std::string offset = "+" + [&] {
    char t[12];
    std::snprintf(t, sizeof t, "%x", static_cast<unsigned>(inB - startOfB));
    return std::string(t);
  }();
  struct Case {
    TStackAddress address;
    bool relAddrs, relLines;
    std::string expected;
  };
  const Case cases[] = {
      {inB, false, false, at + " Chain.exe chain 32 B"},
      {inB, true, true, at + " " + offset + " Chain.exe chain 32 +2 B"},
      {0x10001010, false, false, "10001010 ???"},
      {0x10001010, true, false, "10001010 +0 ???"},
      {0x00500000, false, true, "00500000 ???"},
  };
  for (const Case& c : cases) {
    TAddressTextOptions options;
    options.ShowRelAddrs = c.relAddrs;
    options.ShowRelLines = c.relLines;
    EXPECT_EQ(AddressText(p, c.address, options), c.expected);
  }
}

TEST(CorrectExceptAddress, MovesAnAddressFourShortOfAnInstructionOnly) {
  TFakeProcess p;
  // In "Pad" the four nops after the call start at +8: +4 is inside the call.
  p.AddModule("Chain.exe", 0x400000,
              {{"Pad", 10,
                {{TFakeStep::Call, "Pad", 11}, {TFakeStep::Nop, "", 12}, {TFakeStep::Nop, "", 0},
                 {TFakeStep::Nop, "", 0}, {TFakeStep::Nop, "", 0}}}},
              true);
  TFunctionList functions;
  const TStackAddress call = p.StepAddress("Pad", 0);
  const TStackAddress inside = call + 1;  // not a boundary; inside + 4 is the return address
  EXPECT_EQ(CorrectExceptAddress(p, functions, false, inside), inside + 4);
  EXPECT_EQ(CorrectExceptAddress(p, functions, true, inside), inside);
  EXPECT_EQ(CorrectExceptAddress(p, functions, false, call), call);
  EXPECT_EQ(CorrectExceptAddress(p, functions, false, 0), 0u);
  EXPECT_EQ(CorrectExceptAddress(p, functions, false, 0x00500000), 0x00500000u);
}

}  // namespace
