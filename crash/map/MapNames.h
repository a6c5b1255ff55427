#pragma once
// How the map readers name units and publics.
#include <string>

#include "crash/map/Unmangle.h"

// The unit name of a source or module name: the text after the last "=",
// "\" or "|", without trailing blanks, and without a ".pas" or ".dpr"
// extension (any letter case). Other extensions stay, so a C++ unit keeps
// its ".cpp" and name lookups can find it.
std::string UnitOfSourceName(const std::string& text);

// The name a public gets inside a segment of segmentUnit: "initialization"
// when it is named like that unit, "unit.name" when it belongs to another
// unit, else its name. Units compare without letter case.
std::string PublicNameInSegment(const TUnmangledName& name, const std::string& segmentUnit);
