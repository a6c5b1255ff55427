#include <gtest/gtest.h>

#include "crash/map/Calibration.h"

namespace {

TEST(CalibrationRecord, OnlyTwentyBytesAreARecord) {
  const TCalibrationRecord record{0x1234, 0x80005678u, 0x1000, 0x2000, 0x300};
  const std::string bytes = CalibrationRecordBytes(record);
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x34\x12\0\0\x78\x56\0\x80", 8));
  const std::optional<TCalibrationRecord> read = ParseCalibrationRecord(bytes);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->CodeAnchor, 0x1234u);
  EXPECT_EQ(read->DataAnchor, 0x80005678u);
  EXPECT_EQ(read->SizeOfUninitializedData, 0x300u);
  for (const std::string& other : {std::string(), bytes.substr(0, 19), bytes + '\0', bytes + bytes})
    EXPECT_FALSE(ParseCalibrationRecord(other)) << other.size() << " bytes";
}

TEST(CalibrationRecord, AnchorsAreDistancesForTheReporterAndBasesForOtherModules) {
  const TAddress load = 0x400000, routine = 0x401234, variable = 0x46e010;
  // For the reporter: base of code = routine - anchor - load, base of data = variable - load - anchor.
  const auto reporter = CalibratedHeader({0x234, 0x10, 0x6cc00, 0x9f600, 0x40e00}, true, load, routine, variable);
  ASSERT_TRUE(reporter);
  EXPECT_EQ(reporter->BaseOfCode, 0x1000u);
  EXPECT_EQ(reporter->BaseOfData, 0x6e000u);
  EXPECT_EQ(reporter->SizeOfCode, 0x6cc00u);
  EXPECT_EQ(reporter->SizeOfInitializedData, 0x9f600u);
  EXPECT_EQ(reporter->SizeOfUninitializedData, 0x40e00u);

  // Another module's record carries the top bit, stripped from both bases.
  const auto other = CalibratedHeader({0x80001000u, 0x80030000u, 1, 2, 3}, false, 0x10000000, routine, variable);
  ASSERT_TRUE(other);
  EXPECT_EQ(other->BaseOfCode, 0x1000u);
  EXPECT_EQ(other->BaseOfData, 0x30000u);

  // A record made for the other kind of module is not applied.
  EXPECT_FALSE(CalibratedHeader({0x80001000u, 0, 1, 2, 3}, true, load, routine, variable));
  EXPECT_FALSE(CalibratedHeader({0x1000, 0, 1, 2, 3}, false, load, routine, variable));
}

}  // namespace
