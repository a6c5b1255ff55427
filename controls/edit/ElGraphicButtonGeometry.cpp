#include "controls/edit/ElGraphicButtonGeometry.h"

#include <algorithm>

namespace {

constexpr int kHLSMax = 240;
constexpr int kRGBMax = 255;
constexpr int kUndefinedHue = kHLSMax * 2 / 3;

int Red(unsigned rgb) { return static_cast<int>(rgb & 0xFF); }
int Green(unsigned rgb) { return static_cast<int>((rgb >> 8) & 0xFF); }
int Blue(unsigned rgb) { return static_cast<int>((rgb >> 16) & 0xFF); }
unsigned Rgb(int r, int g, int b) {
  return static_cast<unsigned>(r) | (static_cast<unsigned>(g) << 8) | (static_cast<unsigned>(b) << 16);
}

int HueToRGB(int n1, int n2, int hue) {
  if (hue < 0) hue += kHLSMax;
  if (hue > kHLSMax) hue -= kHLSMax;
  if (hue < kHLSMax / 6) return n1 + ((n2 - n1) * hue + kHLSMax / 12) / (kHLSMax / 6);
  if (hue < kHLSMax / 2) return n2;
  if (hue < kHLSMax * 2 / 3) return n1 + ((n2 - n1) * (kHLSMax * 2 / 3 - hue) + kHLSMax / 12) / (kHLSMax / 6);
  return n1;
}

}  // namespace

int ArrowHitZoneWidth(bool flat) { return flat ? 11 : 15; }

bool InArrowZone(int x, int buttonWidth, bool flat) {
  return x >= buttonWidth - ArrowHitZoneWidth(flat) && x < buttonWidth;
}

TElScreenPoint PullMenuPosition(TPopupPlace place, int left, int top, int width, int height,
                                int menuBarHeight, int itemCount) {
  TElScreenPoint point{left, top + height};
  if (place == ppRight) point = {left + width, top};
  if (place == ppTop) point = {left - 1, top - menuBarHeight * itemCount};
  point.X = std::max(0, point.X);
  point.Y = std::max(0, point.Y);
  return point;
}

TElHLS RGBToHLS(unsigned rgb) {
  const int r = Red(rgb);
  const int g = Green(rgb);
  const int b = Blue(rgb);
  const int high = std::max({r, g, b});
  const int low = std::min({r, g, b});
  TElHLS hls;
  hls.L = ((high + low) * kHLSMax + kRGBMax) / (2 * kRGBMax);
  if (high == low) {
    hls.H = kUndefinedHue;
    return hls;
  }
  const int range = high - low;
  if (hls.L <= kHLSMax / 2)
    hls.S = (range * kHLSMax + (high + low) / 2) / (high + low);
  else
    hls.S = (range * kHLSMax + (2 * kRGBMax - high - low) / 2) / (2 * kRGBMax - high - low);
  const int rDelta = ((high - r) * (kHLSMax / 6) + range / 2) / range;
  const int gDelta = ((high - g) * (kHLSMax / 6) + range / 2) / range;
  const int bDelta = ((high - b) * (kHLSMax / 6) + range / 2) / range;
  if (r == high)
    hls.H = bDelta - gDelta;
  else if (g == high)
    hls.H = kHLSMax / 3 + rDelta - bDelta;
  else
    hls.H = kHLSMax * 2 / 3 + gDelta - rDelta;
  if (hls.H < 0) hls.H += kHLSMax;
  if (hls.H > kHLSMax) hls.H -= kHLSMax;
  return hls;
}

unsigned HLSToRGB(const TElHLS& hls) {
  const int l = std::clamp(hls.L, 0, kHLSMax);
  const int s = std::clamp(hls.S, 0, kHLSMax);
  if (s == 0) {
    const int grey = l * kRGBMax / kHLSMax;
    return Rgb(grey, grey, grey);
  }
  const int n2 = l <= kHLSMax / 2 ? (l * (kHLSMax + s) + kHLSMax / 2) / kHLSMax
                                  : l + s - (l * s + kHLSMax / 2) / kHLSMax;
  const int n1 = 2 * l - n2;
  auto channel = [&](int hue) {
    return std::clamp((HueToRGB(n1, n2, hue) * kRGBMax + kHLSMax / 2) / kHLSMax, 0, kRGBMax);
  };
  return Rgb(channel(hls.H + kHLSMax / 3), channel(hls.H), channel(hls.H - kHLSMax / 3));
}

bool DeriveFrameColours(unsigned face, TElFrameColours& colours) {
  const TElHLS hls = RGBToHLS(face);
  if (hls.L == 0) return false;
  auto with = [&hls](int l) { return HLSToRGB(TElHLS{hls.H, std::min(kHLSMax - 1, l), hls.S}); };
  colours.Highlight = with(hls.L + hls.L / 3);
  colours.DkShadow = with(hls.L - hls.L / 2);
  colours.Shadow = with(hls.L - hls.L / 3);
  return true;
}
