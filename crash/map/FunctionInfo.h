#pragma once
// What the analysis of one function finds: the code it consists of, reached
// from its entry point by following the control flow, and its calls.
#include <cstdint>
#include <vector>

#include "crash/map/CodeReader.h"

enum class TCodeAreaKind : std::uint8_t {
  Instructions,
  CaseTable,     // 32-bit addresses a switch jumps through
  HandlerTable,  // a count, then pairs of exception class and handler address
};

struct TCodeArea {
  TAddress Start = 0;
  TAddress End = 0;  // first address after the area
  TCodeAreaKind Kind = TCodeAreaKind::Instructions;
  bool JumpTarget = false;  // some jump or table of the function leads here
};

struct TKnownCall {
  TAddress CallSite = 0;
  TAddress ReturnAddress = 0;
  TAddress Target = 0;
};

struct TUnknownCall {
  TAddress CallSite = 0;
  TAddress ReturnAddress = 0;
};

struct TFunctionInfo {
  bool Valid = false;
  TAddress EntryPoint = 0;
  TAddress CodeBegin = 0;
  std::uint32_t CodeLength = 0;
  std::vector<TCodeArea> Areas;  // by start
  std::vector<TKnownCall> KnownCalls;
  std::vector<TUnknownCall> UnknownCalls;

  // The instruction area holding the address, or null.
  const TCodeArea* AreaAt(TAddress address) const;
  // Whether the address is what one of the function's calls returns to.
  bool IsReturnAddress(TAddress address) const;
};

// The addresses of an older framework's exception-frame helpers, when the
// module names them (0 otherwise): code after a jump to the finally, any or
// auto helper is still reached; a jump to the on-exception helper is followed
// by a handler table; a call of the halt helper does not return.
struct TFrameHelpers {
  TAddress HandleOnException = 0;
  TAddress HandleAutoException = 0;
  TAddress HandleFinally = 0;
  TAddress Halt0 = 0;
  TAddress HandleAnyException = 0;
};
