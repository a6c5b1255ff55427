#pragma once
// The map information of one module: its segments (units), publics
// (functions) and source lines, with the lookups every report address goes
// through. All addresses are absolute (the module's code range start added).
// Built by one thread, then only read: lookups may run on any thread.
#include <cstdint>
#include <string>
#include <vector>

#include "crash/map/CodeReader.h"

struct TMfSegment {
  bool Valid = true;
  bool Code = true;
  TAddress Start = 0;
  std::uint32_t Length = 0;
  std::string Unit;
  bool HasLines = false;

  bool Contains(TAddress address) const { return address >= Start && address - Start < Length; }
};

struct TMfPublic {
  bool Valid = true;
  bool Code = true;
  std::string Name;
  TAddress Address = 0;
};

struct TMfLine {
  std::uint32_t Line = 0;
  TAddress Address = 0;
};

struct TAddressRange {
  TAddress Start = 0;
  std::uint32_t Length = 0;
  TAddress End() const { return Start + Length; }
  bool Contains(TAddress address) const { return address >= Start && address - Start < Length; }
};

class TMapFile {
 public:
  bool Valid = false;
  std::string FileName;        // the module's file name without directory
  std::uintptr_t Module = 0;   // the module handle (its load address)
  TAddressRange Code;
  TAddressRange Data;
  std::vector<TMfSegment> Segments;
  std::vector<TMfPublic> Publics;
  std::vector<TMfLine> Lines;
  TAddress EntryPoint = 0;     // 0 when unknown
  std::string Fingerprint;     // empty when none

  // Puts the lists in the order the lookups need: code segments before data
  // segments, each group by start; publics and lines by address.
  void Sort();

  // The segment of the kind asked for that holds the address, or null.
  const TMfSegment* SegmentAt(bool code, TAddress address) const;
  // The public with the highest address not above the address, when the
  // address lies before the next public (for the last one: before the end
  // of the code range, when known); else null.
  const TMfPublic* PublicAt(TAddress address) const;
  // The source line of an address, 0 when unknown, -1 when there are no
  // lines at all but the address's segment says it has some.
  int LineAt(TAddress address) const;
  // Address of the public of that name inside a segment of the unit (letter
  // case of the unit ignored; of the name as asked), 0 when there is none.
  // A unit without "." is also tried with ".cpp", ".h" and ".c".
  TAddress PublicByName(bool code, const std::string& unit, const std::string& name, bool caseSensitive) const;
  // "unit.name" of the public that starts exactly at the address ("name"
  // when the unit is empty; " (file)" appended to a numbered name); empty
  // when no public starts there.
  std::string FunctionNameAt(TAddress address) const;
  // Fills the line of an address unless a line is known and the address lies
  // in [lowest, highest); then lowest is the address and highest the address
  // of the next line entry (the end of the code range after the last one).
  void LineOfAddress(TAddress address, int& line, TAddress& lowest, TAddress& highest) const;
  // The unit of the code segment holding the address, empty when none.
  std::string UnitAt(TAddress address) const;

 private:
  TAddress PublicInUnit(bool code, const std::string& unit, const std::string& name, bool caseSensitive) const;
  std::size_t FirstDataSegment() const;
};
