#pragma once
// The control set's case table: the Unicode 3.1 case folding of the Basic
// Multilingual Plane plus two records that let raising reach the capital
// letter from U+0345 and from the micro sign. Case conversion takes the first
// record in table order that fits, so the order of the records is part of the
// behaviour. The records come from tools/case_table; see its README.
#include <cstddef>
#include <cstdint>

enum TElCaseStatus : std::uint8_t {
  csCommon = 1,   // C: simple and full folding alike
  csSimple = 2,   // S: simple folding where the full one differs
  csFull = 4,     // F: full folding to more than one unit
  csTurkic = 8,   // I: the dotted and dotless i
};

struct TElCaseRecord {
  std::uint8_t Status;  // one TElCaseStatus bit
  char16_t Source;
  char16_t Folded[3];   // one to three units; places not needed hold 0
};

constexpr std::size_t ElCaseTableSize = 816;
extern const TElCaseRecord ElCaseTable[ElCaseTableSize];
