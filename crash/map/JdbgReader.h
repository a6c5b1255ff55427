#pragma once
// Reads the ".jdbg" file beside a module: compact debug data with units,
// source names, symbols and line numbers of the module's code.
//
// Layout (32-bit words little-endian; the length is a multiple of 4, the
// tail padded with zero bytes):
//    0  "JDBG"
//    4  version, 1
//    8  flags; bit 0: the checksum is valid
//   12  checksum: the sum of all words of the file less this one, rotated
//       right by 8 bits
//   16  offset of the units table
//   20  offset of the source names table
//   24  offset of the symbols table
//   28  offset of the line numbers table
//   32  offset of the words table
//   36  the tables
// Offsets count from the start of the file. Each of the first four tables
// is a count and then its entries, all as packed numbers: seven bits a
// byte, lowest first, the top bit set on every byte but the last, at most
// five bytes; a signed number is stored as (n << 1) ^ (n >> 31).
//   units, source names, symbols: per entry the distance of its address
//     from the previous entry's (the first from the start of the code
//     range), then the offset of its name in the words table;
//   line numbers: per entry the address distance as above, then the
//     signed difference of its line number to the previous one (the first
//     to 0).
// The words table holds the names, each ended by a zero byte and at most
// 255 characters long.
//
// A unit or source name covers the code from its address to the next one's
// (the last: to the end of the code range). Source names give the segments
// (".pas"/".dpr" removed from their unit names); a symbol is named with its
// unit, "." and its name, without the unit when that is its segment's.
#include <string>

#include "crash/map/MapFile.h"

constexpr std::uint32_t kJdbgVersion = 1;
constexpr std::uint32_t kJdbgChecksumValid = 1;
constexpr std::size_t kJdbgHeaderSize = 36;

// The checksum that the words of bytes (whose length is a multiple of 4)
// call for, the stored one at offset 12 left out.
std::uint32_t JdbgChecksum(const std::string& bytes);

// Fills map (code range set by the caller); false when the bytes are no
// such data (signature, version, length, checksum) or end early.
bool ReadJdbg(const std::string& bytes, TMapFile& map);
