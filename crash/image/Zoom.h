#pragma once
// A scaled copy of a picture with the Mitchell-Netravali cubic filter
// (B = C = 1/3, support 2, widened by the factor when shrinking). Any thread.
#include "crash/image/PixelImage.h"

// The empty picture when a size is below 1 or above TPixelImage::kMaxSide,
// or when the source is empty.
TPixelImage Zoom(const TPixelView& pixels, int width, int height);

// The filter's weight at distance x.
double MitchellWeight(double x);
