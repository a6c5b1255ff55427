#include "crash/SettingsStreamReader.h"

#include <cstdio>
#include <cstring>

#include "platform/CodePage.h"

void TSettingsStreamReader::ReadSignature() {
  if (std::memcmp(Take(4), "TPF0", 4) != 0) throw TSettingsStreamError("the signature TPF0 is missing");
}

std::string TSettingsStreamReader::ReadShortString() {
  const std::size_t length = ReadByte();
  return std::string(reinterpret_cast<const char*>(Take(length)), length);
}

std::uint8_t TSettingsStreamReader::NextValue() const {
  if (FPosition >= FBytes.size()) throw TSettingsStreamError("unexpected end of stream");
  return static_cast<std::uint8_t>(FBytes[FPosition]);
}

int32_t TSettingsStreamReader::ReadInteger() {
  const std::uint8_t type = ReadByte();
  switch (type) {
    case svInt8:
      return static_cast<int8_t>(ReadByte());
    case svInt16:
      return static_cast<int16_t>(ReadLittleEndian(2));
    case svInt32:
      return static_cast<int32_t>(ReadLittleEndian(4));
    default:
      WrongType(type, "an integer");
  }
}

bool TSettingsStreamReader::ReadBoolean() {
  const std::uint8_t type = ReadByte();
  if (type != svFalse && type != svTrue) WrongType(type, "a boolean");
  return type == svTrue;
}

std::string TSettingsStreamReader::ReadString() {
  const std::uint8_t type = ReadByte();
  switch (type) {
    case svString:
      return ReadShortString();
    case svLString: {
      const std::size_t length = ReadLittleEndian(4);
      return std::string(reinterpret_cast<const char*>(Take(length)), length);
    }
    case svWString: {
      const std::size_t count = ReadLittleEndian(4);
      // Checked before the doubling, so a huge count cannot wrap around.
      if (count > (FBytes.size() - FPosition) / 2) throw TSettingsStreamError("unexpected end of stream");
      const unsigned char* units = Take(count * 2);
      WideString wide(count, u'\0');
      for (std::size_t i = 0; i < count; ++i)
        wide[i] = static_cast<char16_t>(units[2 * i] | (units[2 * i + 1] << 8));
      return WideToNarrow(wide);
    }
    default:
      WrongType(type, "a string");
  }
}

std::string TSettingsStreamReader::ReadIdent() {
  const std::uint8_t type = ReadByte();
  if (type != svIdent) WrongType(type, "an identifier");
  return ReadShortString();
}

const unsigned char* TSettingsStreamReader::Take(std::size_t count) {
  if (count > FBytes.size() - FPosition) throw TSettingsStreamError("unexpected end of stream");
  const auto* start = reinterpret_cast<const unsigned char*>(FBytes.data()) + FPosition;
  FPosition += count;
  return start;
}

std::uint32_t TSettingsStreamReader::ReadLittleEndian(std::size_t count) {
  const unsigned char* bytes = Take(count);
  std::uint32_t value = 0;
  for (std::size_t i = count; i > 0; --i) value = (value << 8) | bytes[i - 1];
  return value;
}

void TSettingsStreamReader::WrongType(std::uint8_t type, const char* expected) {
  char text[64];
  std::snprintf(text, sizeof text, "value type %u where %s was expected", static_cast<unsigned>(type), expected);
  throw TSettingsStreamError(text);
}
