#include "text/ElCaseTable.h"

// Sized by its initialisers, so a generated file with a different number of
// records conflicts with the declaration and fails to compile.
const TElCaseRecord ElCaseTable[] = {
#include "text/ElCaseTable.inc"
};
static_assert(sizeof(ElCaseTable) / sizeof(ElCaseTable[0]) == ElCaseTableSize,
              "case table size");
