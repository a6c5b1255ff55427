#pragma once
// The exported routines of a loaded module, for naming code in modules that
// carry no map information. Read through guarded reads; a damaged export
// directory gives no exports. Built once, then only read.
#include <string>
#include <vector>

#include "crash/map/CodeReader.h"

struct TModuleExport {
  TAddress Address = 0;
  std::string Name;  // "#" and the ordinal for an export without name
};

class TModuleExports {
 public:
  TModuleExports(const TCodeReader& reader, TAddress base);
  // The export at or below the address, else the module's entry point
  // (empty name) when that is below; false when there is neither.
  bool Below(TAddress address, TModuleExport& found) const;
  const std::vector<TModuleExport>& All() const { return FExports; }

 private:
  std::vector<TModuleExport> FExports;  // ascending by address
  TAddress FEntryPoint = 0;
};
