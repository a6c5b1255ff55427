#pragma once
// The image checksum of an executable file as the system defines it: the
// 16-bit one's-complement sum of all 16-bit words of the file, the checksum
// field itself left out, carries folded in, plus the file's length. Used to
// tell a damaged or tampered executable. Any thread.
#include <cstddef>
#include <cstdint>
#include <optional>

// Offset of the checksum field, nullopt when the bytes are not a PE image.
std::optional<std::size_t> ImageChecksumOffset(const std::uint8_t* file, std::size_t size);
// The checksum of the whole file; the field at checksumOffset counts as 0.
std::uint32_t ImageFileChecksum(const std::uint8_t* file, std::size_t size, std::size_t checksumOffset);
