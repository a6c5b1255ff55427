#pragma once
// The table update of CRC-32 (reflected polynomial EDB88320, no inversion at
// either end), which the call-stack checksums run their values through.
#include <cstddef>
#include <cstdint>
#include <string>

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size);
std::uint32_t Crc32Update(std::uint32_t crc, const std::string& text);
// Over the four bytes of a value, least significant first.
std::uint32_t Crc32UpdateValue(std::uint32_t crc, std::uint32_t value);
