// Calibration records applied to loaded modules: this program carries one
// (tests/crash/map/win32/calibration.rc); a system library stands for a
// module other than the reporter's.
#include <gtest/gtest.h>
#include <windows.h>

#include "crash/map/win32/ModuleCalibration.h"

namespace {

TAddress AddressOf(HMODULE module) { return static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(module)); }

DWORD ProtectionOf(HMODULE module) {
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(module, &info, sizeof info);
  return info.Protect;
}

bool Same(const TCalibratedHeader& a, const TCalibratedHeader& b) {
  return a.BaseOfCode == b.BaseOfCode && a.SizeOfCode == b.SizeOfCode && a.BaseOfData == b.BaseOfData &&
         a.SizeOfInitializedData == b.SizeOfInitializedData && a.SizeOfUninitializedData == b.SizeOfUninitializedData;
}

// Puts the reporter's header back through a record measured from it, as a
// build measures the anchors of its image.
TCalibrationRecord RecordFor(HMODULE module, const TCalibratedHeader& fields) {
  const TAddress load = AddressOf(module);
  return {CalibrationMarkerRoutine() - load - fields.BaseOfCode, CalibrationMarkerVariable() - load - fields.BaseOfData,
          fields.SizeOfCode, fields.SizeOfInitializedData, fields.SizeOfUninitializedData};
}

TEST(ModuleCalibration, TheReportersRecordIsReadAndAppliedAgainstItsMarkers) {
  const HMODULE self = GetModuleHandleW(nullptr);
  const std::optional<TCalibrationRecord> record = CalibrationRecordOf(self);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->CodeAnchor, 0x10u);
  EXPECT_EQ(record->SizeOfUninitializedData, 0x300u);

  const TCalibratedHeader before = CurrentCalibratedHeader(self);
  const DWORD protection = ProtectionOf(self);
  ASSERT_TRUE(CalibrateModule(self));
  const TCalibratedHeader after = CurrentCalibratedHeader(self);
  const TAddress load = AddressOf(self);
  EXPECT_EQ(after.BaseOfCode, CalibrationMarkerRoutine() - 0x10 - load);
  EXPECT_EQ(after.BaseOfData, CalibrationMarkerVariable() - load - 0x20);
  EXPECT_EQ(after.SizeOfCode, 0x1000u);
  EXPECT_EQ(after.SizeOfInitializedData, 0x2000u);
  EXPECT_EQ(after.SizeOfUninitializedData, 0x300u);
  EXPECT_EQ(ProtectionOf(self), protection);

  // A record meant for another module leaves the reporter's header alone.
  EXPECT_FALSE(ApplyCalibration(self, {0x80001000u, 0x80002000u, 1, 2, 3}));
  EXPECT_TRUE(Same(CurrentCalibratedHeader(self), after));

  ASSERT_TRUE(ApplyCalibration(self, RecordFor(self, before)));
  EXPECT_TRUE(Same(CurrentCalibratedHeader(self), before));
}

TEST(ModuleCalibration, AnotherModulesRecordGivesTheBasesWithoutTheTopBit) {
  const HMODULE other = LoadLibraryW(L"version.dll");
  ASSERT_NE(other, nullptr);
  EXPECT_FALSE(CalibrationRecordOf(other));
  EXPECT_FALSE(CalibrateModule(other));
  const TCalibratedHeader before = CurrentCalibratedHeader(other);

  EXPECT_FALSE(ApplyCalibration(other, {0x1000, 0x2000, 1, 2, 3}));
  ASSERT_TRUE(ApplyCalibration(other, {0x80001000u, 0x80005000u, 0x4000, 0x800, 0x100}));
  const TCalibratedHeader after = CurrentCalibratedHeader(other);
  EXPECT_EQ(after.BaseOfCode, 0x1000u);
  EXPECT_EQ(after.BaseOfData, 0x5000u);
  EXPECT_EQ(after.SizeOfCode, 0x4000u);

  ApplyCalibration(other, {before.BaseOfCode | 0x80000000u, before.BaseOfData | 0x80000000u, before.SizeOfCode,
                           before.SizeOfInitializedData, before.SizeOfUninitializedData});
  EXPECT_TRUE(Same(CurrentCalibratedHeader(other), before));
  FreeLibrary(other);
}

}  // namespace
