#pragma once
// The 16-level grey form of a picture, the smallest screenshot there is.
// Any thread.
#include <array>
#include <cstdint>
#include <vector>

#include "crash/image/PixelImage.h"

constexpr std::array<std::uint8_t, 16> kGreyLevels = {0,   28,  52,  73,  92,  109, 125, 140,
                                                      155, 170, 185, 199, 213, 227, 241, 255};

// (red * 77 + green * 151 + blue * 28) >> 8
std::uint8_t GreyOf(std::uint8_t r, std::uint8_t g, std::uint8_t b);
// The index of the nearest level, the lower one on ties.
int GreyLevelOf(std::uint8_t grey);
// One level index per pixel, rows from the top.
std::vector<std::uint8_t> MapToGreyLevels(const TPixelView& pixels);
