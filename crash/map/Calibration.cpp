#include "crash/map/Calibration.h"

const char* const kCalibrationResourceName = "CALIBRATE";

namespace {

constexpr std::size_t kRecordSize = 20;
constexpr std::uint32_t kTopBit = 0x80000000u;

std::uint32_t WordAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

void AppendWord(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

std::optional<TCalibrationRecord> ParseCalibrationRecord(const std::string& bytes) {
  if (bytes.size() != kRecordSize) return std::nullopt;
  TCalibrationRecord record;
  record.CodeAnchor = WordAt(bytes, 0);
  record.DataAnchor = WordAt(bytes, 4);
  record.SizeOfCode = WordAt(bytes, 8);
  record.SizeOfInitializedData = WordAt(bytes, 12);
  record.SizeOfUninitializedData = WordAt(bytes, 16);
  return record;
}

std::string CalibrationRecordBytes(const TCalibrationRecord& record) {
  std::string bytes;
  AppendWord(bytes, record.CodeAnchor);
  AppendWord(bytes, record.DataAnchor);
  AppendWord(bytes, record.SizeOfCode);
  AppendWord(bytes, record.SizeOfInitializedData);
  AppendWord(bytes, record.SizeOfUninitializedData);
  return bytes;
}

std::optional<TCalibratedHeader> CalibratedHeader(const TCalibrationRecord& record, bool isReporter, TAddress load,
                                                  TAddress markerRoutine, TAddress markerVariable) {
  const bool madeForReporter = (record.CodeAnchor & kTopBit) == 0;
  if (isReporter != madeForReporter) return std::nullopt;
  TCalibratedHeader header;
  if (isReporter) {
    header.BaseOfCode = markerRoutine - record.CodeAnchor - load;
    header.BaseOfData = markerVariable - load - record.DataAnchor;
  } else {
    header.BaseOfCode = record.CodeAnchor & ~kTopBit;
    header.BaseOfData = record.DataAnchor & ~kTopBit;
  }
  header.SizeOfCode = record.SizeOfCode;
  header.SizeOfInitializedData = record.SizeOfInitializedData;
  header.SizeOfUninitializedData = record.SizeOfUninitializedData;
  return header;
}
