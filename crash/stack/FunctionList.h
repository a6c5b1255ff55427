#pragma once
// The functions every trace of the process has met, each analysed once.
// Functions named by map publics, exports or an entry point are approved;
// those met only while decoding raw bytes are not. A function brings the
// targets of its direct calls with it, with its own approval.
// Used by one trace at a time: the caller serialises traces.
#include <string>
#include <unordered_map>
#include <vector>

#include "crash/stack/StackEnvironment.h"

struct TStackFunction {
  int Module = -1;
  std::string Name;
  TStackFunctionInfo Info;
  bool Approved = false;
  bool CalleesAdded = false;

  bool ContainsCode(TStackAddress address) const;
  // The call whose return address is `address`, or nullptr.
  const TStackCall* CallReturningTo(TStackAddress address) const;
  bool HasUnknownCall() const;
  // True when decoding a code area from its start meets `address`.
  bool StartsInstruction(IStackEnvironment& env, TStackAddress address) const;
};

class TFunctionList {
 public:
  TFunctionList();

  // Index of the function at `entry`, analysed on first sight; -1 when it
  // cannot be analysed and is not artificial. An artificial function stands
  // for code without module or analysis: it is kept with no code.
  int Add(IStackEnvironment& env, TStackAddress entry, const std::string& name, int module,
          bool approved, bool artificial = false);
  int Find(TStackAddress entry) const;
  void Approve(IStackEnvironment& env, int index);

  int Count() const { return static_cast<int>(FFunctions.size()); }
  TStackFunction& operator[](int index) { return FFunctions[static_cast<std::size_t>(index)]; }
  const TStackFunction& operator[](int index) const { return FFunctions[static_cast<std::size_t>(index)]; }

 private:
  void AddCallees(IStackEnvironment& env, int index);

  std::vector<TStackFunction> FFunctions;
  std::unordered_map<TStackAddress, int> FByEntry;
};
