#pragma once
// Plain data of the call-stack tracer: what a thread's raw scan keeps, what the
// tracer needs to know about code, modules and symbols, and what it hands out.
// Addresses are 32-bit: the tracer explains a 32-bit process, also when it is
// itself tested on a 64-bit host with fakes of that process.
#include <cstdint>
#include <string>
#include <vector>

using TStackAddress = std::uint32_t;

#pragma pack(push, 1)
// One entry of a prepared stack: 5 bytes, as it travels with a thrown object.
struct TDAPreStackItem {
  std::uint8_t Sure;  // the slot was reached through the frame-pointer chain
  TStackAddress Address;
};
#pragma pack(pop)
static_assert(sizeof(TDAPreStackItem) == 5, "a prepared entry is 5 bytes");
using TPreparedStack = std::vector<TDAPreStackItem>;

// [Start, End): End is one past the last byte.
struct TStackRange {
  TStackAddress Start = 0;
  TStackAddress End = 0;
  bool Empty() const { return End <= Start; }
  bool Contains(TStackAddress a) const { return a >= Start && a < End; }
};

// What the system says about the memory at an address.
struct TMemoryRegion {
  bool Committed = false;
  TStackAddress Base = 0;            // start of the region with equal attributes
  TStackAddress End = 0;             // one past the region
  TStackAddress AllocationBase = 0;  // 0 when the memory belongs to no allocation
};

// A module of the process as the tracer sees it.
struct TStackModule {
  std::string FileName;  // without directory
  TStackAddress LoadAddress = 0;
  bool Described = false;  // headers were readable, so the ranges below mean something
  TStackRange Code;
  TStackRange Data;
  bool HasMap = false;
  bool IsExecutable = false;
  std::string Fingerprint;  // of its map information, empty when none
};

// A named piece of code: a public of the map or an export of a module.
struct TStackSymbol {
  std::string Name;
  TStackAddress Start = 0;
  TStackAddress End = 0;  // 0 when unknown
};

// One decoded instruction.
struct TDecodedInstruction {
  bool Valid = false;
  std::uint32_t Length = 0;
  TStackAddress Next = 0;
  bool IsCall = false;
  bool IsJump = false;
  bool HasTarget = false;
  TStackAddress Target = 0;
};

// A call found by the analysis of a function.
struct TStackCall {
  TStackAddress Site = 0;
  TStackAddress Return = 0;
  bool HasTarget = false;
  TStackAddress Target = 0;
};

enum class TStackAreaKind { Instructions, CaseTable, HandlerTable };

struct TStackCodeArea {
  TStackAddress Start = 0;
  TStackAddress End = 0;  // one past the area
  TStackAreaKind Kind = TStackAreaKind::Instructions;
};

// The result of analysing one function from its entry point.
struct TStackFunctionInfo {
  bool Valid = false;
  TStackAddress Entry = 0;
  TStackAddress CodeBegin = 0;
  std::uint32_t CodeLength = 0;
  std::vector<TStackCodeArea> Areas;
  std::vector<TStackCall> Calls;  // with and without known target
};

// One line of a finished trace, for the details view.
struct TStackTraceEntry {
  TStackAddress Address = 0;
  std::uint32_t Offset = 0;  // from the function's start, 0 when unknown
  std::string ModuleName;
  std::string UnitName;
  int Line = 0;
  int RelativeLine = 0;
  std::string FunctionName;
};
using TStackTrace = std::vector<TStackTraceEntry>;
