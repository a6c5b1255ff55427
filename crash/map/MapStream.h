#pragma once
// The map stream: segments, publics and lines of a module, addresses
// relative to the start of its code range, integers packed (one signed byte,
// or -128 and a 32-bit little-endian value), strings with a length byte.
#include <cstdint>
#include <string>

#include "crash/map/MapFile.h"

// Reads a stream into map (its code range must be set: addresses are made
// absolute with it). With minimal, names are not stored: segments become
// "segment<i>" with a line-numbers flag byte, publics "public<i>". False
// when the stream ends early; map may then hold part of it.
bool ReadMapStream(const std::string& bytes, bool minimal, TMapFile& map);

// Writes map's segments, publics (by address) and lines (by address) as a
// full stream; the entry point follows when known.
std::string WriteMapStream(const TMapFile& map);
