#include "crash/image/Zoom.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The source pixels that make one destination pixel along one axis.
struct TContribution {
  int first = 0;
  std::vector<float> weights;  // for first, first + 1, ...
};

// Weights per destination position, computed once for the whole axis.
std::vector<TContribution> Contributions(int sourceSize, int destSize) {
  const double scale = static_cast<double>(destSize) / sourceSize;
  const double shrink = std::min(scale, 1.0);  // a shrinking filter is widened by 1/scale
  const double support = 2.0 / shrink;
  std::vector<TContribution> result(destSize);
  for (int d = 0; d < destSize; ++d) {
    const double centre = (d + 0.5) / scale;
    const int start = std::max(static_cast<int>(centre - support + 0.5), 0);
    const int stop = std::min(static_cast<int>(centre + support + 0.5), sourceSize);
    TContribution& c = result[d];
    c.first = start;
    double sum = 0.0;
    std::vector<double> weights;
    for (int s = start; s < stop; ++s) {
      weights.push_back(MitchellWeight((s - centre + 0.5) * shrink));
      sum += weights.back();
    }
    for (double w : weights) c.weights.push_back(static_cast<float>(sum != 0.0 ? w / sum : 0.0));
  }
  return result;
}

// The first pass keeps fractions but not overshoot, as an 8-bit picture would.
float ClampRange(float value) { return std::min(std::max(value, 0.0f), 255.0f); }

std::uint8_t Clamp(float value) {
  if (value <= 0.0f) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<std::uint8_t>(value + 0.5f);
}

}  // namespace

double MitchellWeight(double x) {
  constexpr double B = 1.0 / 3.0, C = 1.0 / 3.0;
  x = std::fabs(x);
  if (x < 1.0)
    return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6;
  if (x < 2.0)
    return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6;
  return 0.0;
}

TPixelImage Zoom(const TPixelView& pixels, int width, int height) {
  if (pixels.Empty() || width < 1 || height < 1 || width > TPixelImage::kMaxSide || height > TPixelImage::kMaxSide)
    return {};
  const std::vector<TContribution> columns = Contributions(pixels.Width, width);
  const std::vector<TContribution> rows = Contributions(pixels.Height, height);
  // Across first, into a float picture of the new width and the old height.
  std::vector<float> across(static_cast<std::size_t>(width) * pixels.Height * 3);
  for (int y = 0; y < pixels.Height; ++y) {
    const std::uint8_t* source = pixels.Row(y);
    float* out = &across[static_cast<std::size_t>(y) * width * 3];
    for (int x = 0; x < width; ++x, out += 3) {
      const TContribution& c = columns[x];
      float b = 0, g = 0, r = 0;
      const std::uint8_t* p = source + static_cast<std::size_t>(c.first) * 4;
      for (float w : c.weights) {
        b += w * p[0], g += w * p[1], r += w * p[2];
        p += 4;
      }
      out[0] = ClampRange(b), out[1] = ClampRange(g), out[2] = ClampRange(r);
    }
  }
  TPixelImage image(width, height);
  for (int y = 0; y < height; ++y) {
    const TContribution& c = rows[y];
    std::uint8_t* out = image.Row(y);
    for (int x = 0; x < width; ++x, out += 4) {
      float b = 0, g = 0, r = 0;
      const float* p = &across[(static_cast<std::size_t>(c.first) * width + x) * 3];
      for (float w : c.weights) {
        b += w * p[0], g += w * p[1], r += w * p[2];
        p += static_cast<std::size_t>(width) * 3;
      }
      out[0] = Clamp(b), out[1] = Clamp(g), out[2] = Clamp(r), out[3] = 0;
    }
  }
  return image;
}
