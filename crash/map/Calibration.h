#pragma once
// The calibration record a build may add to an image (resource "CALIBRATE" of
// type "OST") so that the code and data fields of its optional header describe
// its real code and data: five 32-bit little-endian values. For the module
// that holds the reporter the anchors are distances from its marker routine
// and marker variable; for any other module they are the bases themselves,
// with the top bit of the code anchor set. Any thread.
#include <cstdint>
#include <optional>
#include <string>

#include "crash/map/MapFile.h"

extern const char* const kCalibrationResourceName;  // "CALIBRATE"

struct TCalibrationRecord {
  std::uint32_t CodeAnchor = 0;
  std::uint32_t DataAnchor = 0;
  std::uint32_t SizeOfCode = 0;
  std::uint32_t SizeOfInitializedData = 0;
  std::uint32_t SizeOfUninitializedData = 0;
};

// The five optional-header fields a record sets.
struct TCalibratedHeader {
  std::uint32_t BaseOfCode = 0;
  std::uint32_t SizeOfCode = 0;
  std::uint32_t BaseOfData = 0;
  std::uint32_t SizeOfInitializedData = 0;
  std::uint32_t SizeOfUninitializedData = 0;
};

// A record of exactly 20 bytes; anything else is no record.
std::optional<TCalibrationRecord> ParseCalibrationRecord(const std::string& bytes);
std::string CalibrationRecordBytes(const TCalibrationRecord& record);

// The header fields for a module loaded at `load`; `isReporter` tells whether
// it is the module that holds the reporter, whose marker routine and variable
// lie at the given addresses. Nothing when the record was made for the other
// kind of module.
std::optional<TCalibratedHeader> CalibratedHeader(const TCalibrationRecord& record, bool isReporter, TAddress load,
                                                  TAddress markerRoutine, TAddress markerVariable);
