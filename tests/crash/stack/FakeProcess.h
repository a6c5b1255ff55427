#pragma once
// A 32-bit process made up for the tracer's tests: modules whose code is laid
// out from a few instructions (frame set-up, direct and indirect calls, return),
// map information for them, and a thread stack built frame by frame as real
// calls would build it. Every address moves with the module's load address,
// so the same call chain can be traced at two bases.
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "crash/stack/StackEnvironment.h"

struct TFakeStep {
  // Return: a ret in mid-function, behind which only a jump the analysis
  // does not see leads.
  enum TKind { Call, CallIndirect, Nop, Return };
  TKind Kind = Nop;
  std::string Callee;  // for Call
  int Line = 0;
};

struct TFakeFunctionSpec {
  std::string Name;
  int FirstLine = 0;
  std::vector<TFakeStep> Steps;
  bool Frameless = false;  // no push ebp / mov ebp, esp
  // Behind a patchable stub, realigns the stack through ecx before its frame
  // (lea ecx, [esp+4]; and esp, -16; push [ecx-4]; push ebp; mov ebp, esp).
  bool Realigns = false;
};

class TFakeProcess : public IStackEnvironment {
 public:
  // Lays the functions out one after the other from `load` + 0x1000.
  int AddModule(const std::string& fileName, TStackAddress load, const std::vector<TFakeFunctionSpec>& functions,
                bool hasMap, bool isExecutable = true, const std::string& unit = "chain");
  // Address of step `step` of a function (the call instruction), its return
  // address, and the function's start.
  TStackAddress StepAddress(const std::string& function, std::size_t step) const;
  TStackAddress ReturnAddress(const std::string& function, std::size_t step) const;
  TStackAddress FunctionStart(const std::string& function) const;
  // Plain memory, committed, of no module (a heap block).
  void AddHeap(TStackAddress base, std::uint32_t size);
  void AddExport(int module, const std::string& name, TStackAddress address);

  // Counts calls of the expensive lookups, to show what a warm trace skips.
  int AnalyseCount = 0;
  // Makes the next LineAt throw: a failing map lookup inside a trace.
  bool FailLineLookups = false;

  // IStackEnvironment
  bool Read(TStackAddress address, void* buffer, std::uint32_t size) override;
  TMemoryRegion RegionAt(TStackAddress address) override;
  int ModuleIndexOf(TStackAddress address) override;
  const TStackModule& Module(int index) override { return FModules.at(static_cast<std::size_t>(index)).Info; }
  bool PublicAt(TStackAddress address, TStackSymbol& symbol) override;
  std::string UnitAt(TStackAddress address) override;
  int LineAt(TStackAddress address) override;
  void SplitName(const std::string& name, std::string& unit, std::string& function) override;
  bool ExportBelow(int module, TStackAddress address, TStackSymbol& symbol) override;
  TDecodedInstruction Decode(TStackAddress address) override;
  TStackFunctionInfo Analyse(TStackAddress entry) override;
  TStackAddress IgnoredReturnAddress() override { return 0; }
  TStackAddress UnknownTargetDispatcher() override { return 0; }

  // Memory of the fake stack; see TFakeStack.
  void MapStack(TStackAddress base, const std::vector<std::uint8_t>& bytes);

 private:
  struct TRegion {
    TStackAddress Base = 0;
    std::vector<std::uint8_t> Bytes;
    TStackAddress AllocationBase = 0;
  };
  struct TModule {
    TStackModule Info;
    std::string Unit;
    std::vector<TStackSymbol> Publics;  // ascending
    std::map<TStackAddress, int> Lines;
    std::vector<TStackSymbol> Exports;
  };
  const TRegion* RegionOf(TStackAddress address) const;
  const TModule* ModuleOf(TStackAddress address) const;

  std::vector<TRegion> FRegions;
  std::vector<TModule> FModules;
  std::map<std::string, std::vector<TStackAddress>> FSteps;  // call sites per function
  std::map<std::string, std::vector<TStackAddress>> FReturns;
  std::map<std::string, TStackAddress> FStarts;
};

// Builds a thread stack downwards as calls would: each frame pushes its
// return address, and a framed callee saves the caller's frame pointer.
class TFakeStack {
 public:
  explicit TFakeStack(TStackAddress top) : FTop(top), FSp(top) {}
  void Push(TStackAddress value);
  // A call: the return address, then (for a framed callee) the saved frame
  // pointer, which becomes the new frame pointer.
  void Call(TStackAddress returnAddress, bool framedCallee = true);
  // A call of a realigning callee: the return address, the alignment gap
  // (what earlier code left there), then a copy of the return address and
  // the saved frame pointer as in a plain frame.
  void CallRealigning(TStackAddress returnAddress, const std::vector<TStackAddress>& gap);
  void Locals(std::size_t words, TStackAddress fill = 0x11111111);

  TStackAddress Top() const { return FTop; }
  TStackAddress Bottom() const { return FSp; }
  TStackAddress FramePointer() const { return FFrame; }
  void MapInto(TFakeProcess& process) const;

 private:
  TStackAddress FTop;
  TStackAddress FSp;
  TStackAddress FFrame = 0;
  std::vector<TStackAddress> FWords;  // pushed, first pushed first
};
