#include "crash/image/WuQuantizer.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace {

constexpr int kSide = 33;  // 32 cells per component and the zero border of the cumulative sums

int Cell(int r, int g, int b) { return (r * kSide + g) * kSide + b; }

// Cumulative moments: weight, the three colour sums and the sum of squares.
struct TMoments {
  std::vector<std::int64_t> w, r, g, b;
  std::vector<double> m2;
  TMoments() : w(kSide * kSide * kSide), r(w.size()), g(w.size()), b(w.size()), m2(w.size()) {}
};

struct TBox {
  int r0, r1, g0, g1, b0, b1;  // exclusive lower, inclusive upper bounds
  int Volume() const { return (r1 - r0) * (g1 - g0) * (b1 - b0); }
};

enum TAxis { kRed, kGreen, kBlue };

void Histogram(const TPixelView& pixels, TMoments& m) {
  for (int y = 0; y < pixels.Height; ++y) {
    const std::uint8_t* p = pixels.Row(y);
    for (int x = 0; x < pixels.Width; ++x, p += 4) {
      const int b = p[0], g = p[1], r = p[2];
      const int at = Cell((r >> 3) + 1, (g >> 3) + 1, (b >> 3) + 1);
      m.w[at] += 1;
      m.r[at] += r;
      m.g[at] += g;
      m.b[at] += b;
      m.m2[at] += static_cast<double>(r * r + g * g + b * b);
    }
  }
}

// Turns the cell counts into sums over the box from the origin to each cell.
void Accumulate(TMoments& m) {
  for (int r = 1; r < kSide; ++r) {
    std::int64_t areaW[kSide] = {}, areaR[kSide] = {}, areaG[kSide] = {}, areaB[kSide] = {};
    double area2[kSide] = {};
    for (int g = 1; g < kSide; ++g) {
      std::int64_t lineW = 0, lineR = 0, lineG = 0, lineB = 0;
      double line2 = 0;
      for (int b = 1; b < kSide; ++b) {
        const int at = Cell(r, g, b);
        lineW += m.w[at], lineR += m.r[at], lineG += m.g[at], lineB += m.b[at], line2 += m.m2[at];
        areaW[b] += lineW, areaR[b] += lineR, areaG[b] += lineG, areaB[b] += lineB, area2[b] += line2;
        const int below = Cell(r - 1, g, b);
        m.w[at] = m.w[below] + areaW[b];
        m.r[at] = m.r[below] + areaR[b];
        m.g[at] = m.g[below] + areaG[b];
        m.b[at] = m.b[below] + areaB[b];
        m.m2[at] = m.m2[below] + area2[b];
      }
    }
  }
}

template <typename T>
T Volume(const TBox& c, const std::vector<T>& m) {
  return m[Cell(c.r1, c.g1, c.b1)] - m[Cell(c.r1, c.g1, c.b0)] - m[Cell(c.r1, c.g0, c.b1)] +
         m[Cell(c.r1, c.g0, c.b0)] - m[Cell(c.r0, c.g1, c.b1)] + m[Cell(c.r0, c.g1, c.b0)] +
         m[Cell(c.r0, c.g0, c.b1)] - m[Cell(c.r0, c.g0, c.b0)];
}

// The part of Volume that depends on the lower bound along axis.
std::int64_t Bottom(const TBox& c, TAxis axis, const std::vector<std::int64_t>& m) {
  switch (axis) {
    case kRed:
      return -m[Cell(c.r0, c.g1, c.b1)] + m[Cell(c.r0, c.g1, c.b0)] + m[Cell(c.r0, c.g0, c.b1)] -
             m[Cell(c.r0, c.g0, c.b0)];
    case kGreen:
      return -m[Cell(c.r1, c.g0, c.b1)] + m[Cell(c.r1, c.g0, c.b0)] + m[Cell(c.r0, c.g0, c.b1)] -
             m[Cell(c.r0, c.g0, c.b0)];
    default:
      return -m[Cell(c.r1, c.g1, c.b0)] + m[Cell(c.r1, c.g0, c.b0)] + m[Cell(c.r0, c.g1, c.b0)] -
             m[Cell(c.r0, c.g0, c.b0)];
  }
}

// The sum over the box with its upper bound along axis moved to position.
std::int64_t Top(const TBox& c, TAxis axis, int position, const std::vector<std::int64_t>& m) {
  switch (axis) {
    case kRed:
      return m[Cell(position, c.g1, c.b1)] - m[Cell(position, c.g1, c.b0)] - m[Cell(position, c.g0, c.b1)] +
             m[Cell(position, c.g0, c.b0)];
    case kGreen:
      return m[Cell(c.r1, position, c.b1)] - m[Cell(c.r1, position, c.b0)] - m[Cell(c.r0, position, c.b1)] +
             m[Cell(c.r0, position, c.b0)];
    default:
      return m[Cell(c.r1, c.g1, position)] - m[Cell(c.r1, c.g0, position)] - m[Cell(c.r0, c.g1, position)] +
             m[Cell(c.r0, c.g0, position)];
  }
}

double Variance(const TBox& c, const TMoments& m) {
  const double r = static_cast<double>(Volume(c, m.r));
  const double g = static_cast<double>(Volume(c, m.g));
  const double b = static_cast<double>(Volume(c, m.b));
  const double w = static_cast<double>(Volume(c, m.w));
  return Volume(c, m.m2) - (r * r + g * g + b * b) / w;
}

struct TSums {
  std::int64_t r, g, b, w;
};

// The best cut plane along axis: the one that maximises the sum over both
// halves of |sum|^2 / weight; both halves must hold pixels.
double Maximize(const TBox& c, TAxis axis, int first, int last, int& cut, const TSums& whole, const TMoments& m) {
  const TSums base{Bottom(c, axis, m.r), Bottom(c, axis, m.g), Bottom(c, axis, m.b), Bottom(c, axis, m.w)};
  double best = 0.0;
  cut = -1;
  for (int i = first; i < last; ++i) {
    TSums half{base.r + Top(c, axis, i, m.r), base.g + Top(c, axis, i, m.g), base.b + Top(c, axis, i, m.b),
               base.w + Top(c, axis, i, m.w)};
    if (half.w == 0 || half.w == whole.w) continue;
    auto score = [](const TSums& s) {
      return (static_cast<double>(s.r) * s.r + static_cast<double>(s.g) * s.g + static_cast<double>(s.b) * s.b) /
             static_cast<double>(s.w);
    };
    const TSums rest{whole.r - half.r, whole.g - half.g, whole.b - half.b, whole.w - half.w};
    const double value = score(half) + score(rest);
    if (value > best) {
      best = value;
      cut = i;
    }
  }
  return best;
}

bool Cut(TBox& one, TBox& two, const TMoments& m) {
  const TSums whole{Volume(one, m.r), Volume(one, m.g), Volume(one, m.b), Volume(one, m.w)};
  int cutR, cutG, cutB;
  const double maxR = Maximize(one, kRed, one.r0 + 1, one.r1, cutR, whole, m);
  const double maxG = Maximize(one, kGreen, one.g0 + 1, one.g1, cutG, whole, m);
  const double maxB = Maximize(one, kBlue, one.b0 + 1, one.b1, cutB, whole, m);
  TAxis axis;
  if (maxR >= maxG && maxR >= maxB) {
    if (cutR < 0) return false;
    axis = kRed;
  } else {
    axis = maxG >= maxB ? kGreen : kBlue;
  }
  two = one;
  switch (axis) {
    case kRed:
      one.r1 = two.r0 = cutR;
      break;
    case kGreen:
      one.g1 = two.g0 = cutG;
      break;
    case kBlue:
      one.b1 = two.b0 = cutB;
      break;
  }
  return true;
}

TPaletteEntry Mean(const TBox& c, const TMoments& m) {
  const std::int64_t w = Volume(c, m.w);
  return {static_cast<std::uint8_t>(Volume(c, m.r) / w), static_cast<std::uint8_t>(Volume(c, m.g) / w),
          static_cast<std::uint8_t>(Volume(c, m.b) / w)};
}

}  // namespace

std::vector<TPaletteEntry> WuPalette(const TPixelView& pixels, int maxColours) {
  if (pixels.Empty() || maxColours < 1) return {};
  TMoments m;
  Histogram(pixels, m);
  Accumulate(m);
  std::vector<TBox> boxes(1, TBox{0, 32, 0, 32, 0, 32});
  std::vector<double> variance(1, 0.0);
  int next = 0;
  while (static_cast<int>(boxes.size()) < maxColours) {
    TBox two{};
    if (Cut(boxes[next], two, m)) {
      boxes.push_back(two);
      variance[next] = boxes[next].Volume() > 1 ? Variance(boxes[next], m) : 0.0;
      variance.push_back(two.Volume() > 1 ? Variance(two, m) : 0.0);
    } else {
      variance[next] = 0.0;  // this box cannot be cut: never try it again
    }
    next = static_cast<int>(std::max_element(variance.begin(), variance.end()) - variance.begin());
    if (variance[next] <= 0.0) break;
  }
  std::vector<TPaletteEntry> palette;
  palette.reserve(boxes.size());
  for (const TBox& box : boxes) palette.push_back(Mean(box, m));
  return palette;
}

int NearestEntry(const std::vector<TPaletteEntry>& palette, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  int best = 0;
  int bestDistance = 1 << 30;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const TPaletteEntry& e = palette[i];
    const int distance = std::abs(e.r - r) + std::abs(e.g - g) + std::abs(e.b - b);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
    }
  }
  return best;
}

std::vector<std::uint8_t> MapToPalette(const TPixelView& pixels, const std::vector<TPaletteEntry>& palette) {
  std::vector<std::uint8_t> indices;
  if (pixels.Empty() || palette.empty()) return indices;
  indices.reserve(static_cast<std::size_t>(pixels.Width) * pixels.Height);
  std::vector<std::int16_t> cache(1 << 15, -1);
  for (int y = 0; y < pixels.Height; ++y) {
    const std::uint8_t* p = pixels.Row(y);
    for (int x = 0; x < pixels.Width; ++x, p += 4) {
      const int key = ((p[2] >> 3) << 10) | ((p[1] >> 3) << 5) | (p[0] >> 3);
      if (cache[key] < 0) cache[key] = static_cast<std::int16_t>(NearestEntry(palette, p[2], p[1], p[0]));
      indices.push_back(static_cast<std::uint8_t>(cache[key]));
    }
  }
  return indices;
}

TIndexedImage ReduceColours(const TPixelView& pixels) {
  TIndexedImage result;
  if (pixels.Empty()) return result;
  std::unordered_map<std::uint32_t, std::uint8_t> seen;
  result.indices.reserve(static_cast<std::size_t>(pixels.Width) * pixels.Height);
  for (int y = 0; y < pixels.Height && seen.size() <= 256; ++y) {
    const std::uint8_t* p = pixels.Row(y);
    for (int x = 0; x < pixels.Width; ++x, p += 4) {
      const std::uint32_t colour = (p[2] << 16) | (p[1] << 8) | p[0];
      auto found = seen.find(colour);
      if (found == seen.end()) {
        if (seen.size() == 256) {
          seen.emplace(colour, 0);  // one too many: reduce instead
          break;
        }
        found = seen.emplace(colour, static_cast<std::uint8_t>(seen.size())).first;
        result.palette.push_back({p[2], p[1], p[0]});
      }
      result.indices.push_back(found->second);
    }
  }
  if (seen.size() <= 256) return result;
  result.palette = WuPalette(pixels);
  result.indices = MapToPalette(pixels, result.palette);
  return result;
}
