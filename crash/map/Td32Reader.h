#pragma once
// Reads TD32 debug information: the block that a ".tds" file holds, that a
// module's debug directory points to, or that the linker appends to the
// module's own file.
//
// The block starts with the signature "FB09" or "FB0A" and the offset of the
// subsection directory, both relative to the block's start. Appended to a
// file, the block ends with the signature again and the distance from the
// start of the block to the end of the file.
//
// Directory: header (16-bit header size, 16-bit entry size, 32-bit entry
// count, 32-bit offset of the next directory or 0, 32-bit flags), then
// entries of 16-bit subsection kind, 16-bit module index, 32-bit offset and
// 32-bit size. Read are:
//   0x120 module: overlay, library index, segment count, style (16 bits
//         each), name index, time stamp, three reserved words, then per
//         segment its section (16), flags (16), offset and size (32 each);
//   0x127 source module: file count, segment count (16), per file the offset
//         of its entry, then per segment start and end (32 each) and the
//         section numbers (16). A file entry: segment count (16), name index
//         (32), per segment the offset of its line block; a line block:
//         section (16), count (16), count offsets (32), count lines (16);
//   0x125 module symbols (after a 4-byte signature), 0x129 global symbols
//         and 0x12a global publics (after a header of two 16-bit hash
//         numbers and three 32-bit sizes, the first the records' length):
//         records of 16-bit length (not counting itself) and 16-bit kind;
//         procedures (0x204, 0x205: parent, end, next, length, debug start
//         and end (32 each), offset (32), section (16), type (32), name
//         index (32)) and publics (0x203: offset (32), section (16), type
//         (32), name index (32));
//   0x130 names: a 32-bit count, then per name a length byte, the characters
//         and a zero byte; name indexes count from 1.
// Only the first section (the module's code, which must lie in one section)
// is placed: section offsets become addresses in the code range. Segments
// take their module's first source file as unit (else the module's name);
// a procedure and a public at one address give one public, the procedure's.
// Damaged data (a read outside its subsection, subsections together larger
// than the block, entries shared beyond what the bytes could hold) gives
// no map at all.
#include <string>

#include "crash/map/MapFile.h"

constexpr std::size_t kTd32TrailerSize = 8;

// The distance from the start of an appended block to the end of the file,
// read from the file's last kTd32TrailerSize bytes; 0 when they are no
// trailer.
std::size_t Td32TrailerDistance(const std::string& tail);

// Where the block of bytes starts: 0 when they begin with the signature,
// else the start the trailer at their end names; npos when neither holds.
std::size_t FindTd32Block(const std::string& bytes);

// Fills map (code range set by the caller) from the block found in bytes;
// false when there is none or it is damaged, or it gives no segment and no
// public.
bool ReadTd32(const std::string& bytes, TMapFile& map);
