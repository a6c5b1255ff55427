#pragma once
// The value-type bytes of the binary component stream: each stored value
// starts with one of them. The enumeration's underlying type is a byte, so a
// byte read from outside that names no type still fits and is refused where
// it is interpreted.
#include <cstdint>
#include <string>

enum TValueType : uint8_t {
  vaNull = 0,        // end of a list; also the identifier Null
  vaList = 1,        // start of a list of values
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,    // 10-byte extended precision float
  vaString = 6,      // one length byte, then narrow characters
  vaIdent = 7,       // an identifier, stored as vaString is
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,     // 32-bit length, then the bytes
  vaSet = 11,        // identifiers (short strings) up to an empty one
  vaLString = 12,    // 32-bit length, then narrow characters
  vaNil = 13,
  vaCollection = 14, // items (optional order integer, property list) up to vaNull
  vaSingle = 15,     // 4-byte float
  vaCurrency = 16,   // 64-bit integer, scaled by 10000
  vaDate = 17,       // 8-byte float
  vaWString = 18,    // 32-bit count of UTF-16 units, then the units
  vaInt64 = 19,
  vaUTF8String = 20, // 32-bit length in bytes, then UTF-8
};

constexpr uint8_t kLastValueType = vaUTF8String;

// "vaInt32", or "unknown value type 0x2A" for a byte that names none.
std::string ValueTypeName(TValueType type);
