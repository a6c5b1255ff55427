#pragma once
// Reads the linker's detailed map as text (the ".map" file beside a module):
// its section table, the detailed map of segments, the publics by value, the
// line-number blocks and the program entry point.
//
// Addresses in the text are section:offset pairs. Section 1 starts the
// module's code range; further code sections (2 up to below the data
// section) follow the first one, whose length is rounded up to 4096; the data
// section starts the data range. Other sections are not placed.
#include <string>

#include "crash/map/MapFile.h"

// Fills map (its code and data ranges set by the caller) from the text;
// false when the text gave neither a segment nor a public.
bool ReadTextMap(const std::string& text, TMapFile& map);
