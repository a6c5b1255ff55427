#pragma once
// Loads the map information of one module from the first of its sources that
// gives one (see MapSources.h); the lines are sorted by address at the end.
// A module's code and data ranges and its file name are given, so that the
// relative addresses of every source become absolute.
#include <memory>
#include <string>

#include "crash/map/MapFile.h"
#include "crash/map/MapSources.h"

struct TMapModule {
  std::string FileName;
  std::uintptr_t Module = 0;
  TAddressRange Code;
  TAddressRange Data;
  bool CodeInOneSection = true;
};

// A map that is not Valid when no source gave one.
std::unique_ptr<TMapFile> LoadMapInformation(IMapSources& sources, const TMapModule& module);
