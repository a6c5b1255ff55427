#include "crash/image/GreyLevels.h"

#include <cstdlib>

std::uint8_t GreyOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<std::uint8_t>((r * 77 + g * 151 + b * 28) >> 8);
}

int GreyLevelOf(std::uint8_t grey) {
  int best = 0;
  for (int i = 1; i < static_cast<int>(kGreyLevels.size()); ++i)
    if (std::abs(kGreyLevels[i] - grey) < std::abs(kGreyLevels[best] - grey)) best = i;
  return best;
}

std::vector<std::uint8_t> MapToGreyLevels(const TPixelView& pixels) {
  std::vector<std::uint8_t> indices;
  if (pixels.Empty()) return indices;
  std::array<std::uint8_t, 256> levelOf{};
  for (int grey = 0; grey < 256; ++grey) levelOf[grey] = static_cast<std::uint8_t>(GreyLevelOf(static_cast<std::uint8_t>(grey)));
  indices.reserve(static_cast<std::size_t>(pixels.Width) * pixels.Height);
  for (int y = 0; y < pixels.Height; ++y) {
    const std::uint8_t* p = pixels.Row(y);
    for (int x = 0; x < pixels.Width; ++x, p += 4) indices.push_back(levelOf[GreyOf(p[2], p[1], p[0])]);
  }
  return indices;
}
