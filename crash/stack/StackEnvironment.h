#pragma once
// What the tracer asks of the process it explains: guarded memory, the module
// list, map lookups and the instruction decoder. The Windows build answers
// from the live process and its map information; tests answer from fakes.
// An implementation must never let a fault escape: an unreadable byte is a
// failed read, an unknown address an empty answer.
#include <string>

#include "crash/stack/StackTypes.h"

// Guarded access to the memory of the process: all a raw stack scan needs.
class IStackMemory {
 public:
  virtual ~IStackMemory() = default;
  // Copy of foreign memory; false when any byte cannot be read.
  virtual bool Read(TStackAddress address, void* buffer, std::uint32_t size) = 0;
  virtual TMemoryRegion RegionAt(TStackAddress address) = 0;
};

class IStackEnvironment : public IStackMemory {
 public:
  // Called as each trace begins: what the environment keeps from earlier
  // traces may be out of date (a module rebuilt, unloaded or loaded).
  virtual void TraceStarts() {}

  // Index into the process-wide module list, -1 when the address lies in no
  // loaded image.
  virtual int ModuleIndexOf(TStackAddress address) = 0;
  virtual const TStackModule& Module(int index) = 0;

  // Map lookups, answered only for modules with map information.
  virtual bool PublicAt(TStackAddress address, TStackSymbol& symbol) = 0;
  virtual std::string UnitAt(TStackAddress address) = 0;
  // 0 (or below) when unknown.
  virtual int LineAt(TStackAddress address) = 0;
  // A mangled or qualified name as the report shows it: unit and name.
  virtual void SplitName(const std::string& name, std::string& unit, std::string& function) = 0;

  // For modules without map: the nearest export at or below the address, or
  // the module's entry point (empty name); false when there is neither.
  virtual bool ExportBelow(int module, TStackAddress address, TStackSymbol& symbol) = 0;

  virtual TDecodedInstruction Decode(TStackAddress address) = 0;
  virtual TStackFunctionInfo Analyse(TStackAddress entry) = 0;

  // A return address that is never a stack item (inside the try/finally exit
  // helper), 0 when the build has none.
  virtual TStackAddress IgnoredReturnAddress() = 0;
  // The message dispatcher whose calls reach unknown window procedures; 0
  // except on systems where it must count as a call with unknown target.
  virtual TStackAddress UnknownTargetDispatcher() = 0;
};
