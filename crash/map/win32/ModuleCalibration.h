#pragma once
// Applies the calibration record that a module carries to the code and data
// fields of its in-memory optional header, once per module at start-up,
// before any map information is read. Any thread, but not while a trace runs.
#include <windows.h>

#include "crash/map/Calibration.h"

// The module's record, nothing when it carries none (or one of another size).
std::optional<TCalibrationRecord> CalibrationRecordOf(HMODULE module);

// Applies the module's record; true when the header was rewritten.
bool CalibrateModule(HMODULE module);
// Applies the records of every loaded module; the number rewritten.
int CalibrateLoadedModules();

// Applies a record to a module (the module that holds the reporter reads its
// anchors against the marker routine and variable); true when rewritten.
bool ApplyCalibration(HMODULE module, const TCalibrationRecord& record);
// Where the reporter's marker routine and variable lie; a build measures the
// code and data anchors of its record from them.
TAddress CalibrationMarkerRoutine();
TAddress CalibrationMarkerVariable();
// The header fields as they stand in memory now.
TCalibratedHeader CurrentCalibratedHeader(HMODULE module);
