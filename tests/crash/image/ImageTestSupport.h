#pragma once
// Pictures, a small PNG reader and the outside programs that serve the image
// tests as oracles (pngcheck, ImageMagick).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <zlib.h>

#include "crash/image/PixelImage.h"
#include "crash/image/WuQuantizer.h"

struct TRgb {
  std::uint8_t r, g, b;
};

inline TRgb PixelAt(const TPixelView& view, int x, int y) {
  const std::uint8_t* p = view.Row(y) + 4 * x;
  return {p[2], p[1], p[0]};
}

inline void SetPixel(TPixelImage& image, int x, int y, TRgb c) {
  std::uint8_t* p = image.Row(y) + 4 * x;
  p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 0;
}

// Pixels drawn at random from a set of colours, which is returned too.
inline TPixelImage RandomPicture(int width, int height, std::vector<TRgb> colours, unsigned seed) {
  std::mt19937 random(seed);
  TPixelImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) SetPixel(image, x, y, colours[random() % colours.size()]);
  return image;
}

inline std::vector<TRgb> RandomColours(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<TRgb> colours;
  while (static_cast<int>(colours.size()) < count) {
    const TRgb c{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                 static_cast<std::uint8_t>(random())};
    bool known = false;
    for (const TRgb& k : colours) known = known || (k.r == c.r && k.g == c.g && k.b == c.b);
    if (!known) colours.push_back(c);
  }
  return colours;
}

// Smooth colour fields with edges and grain: tens of thousands of colours
// that cluster as in a photograph.
inline TPixelImage PhotoLikePicture(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> grain(0.0, 4.0);
  TPixelImage image(width, height);
  auto clamp = [](double v) { return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double sky = static_cast<double>(y) / height;
      const double hill = std::sin(x / 53.0) * 30 + height * 0.6;
      const double sun = std::hypot(x - width * 0.7, y - height * 0.25);
      double r, g, b;
      if (y < hill) {
        r = 90 + 120 * sky + 140 * std::exp(-sun / 40.0);
        g = 140 + 80 * sky + 110 * std::exp(-sun / 50.0);
        b = 230 - 60 * sky;
      } else {
        const double t = std::sin(x / 7.0 + y / 11.0) * 0.5 + 0.5;
        r = 60 + 50 * t + 40 * std::sin(y / 29.0);
        g = 110 + 70 * t;
        b = 40 + 30 * std::cos(x / 17.0);
      }
      SetPixel(image, x, y, {clamp(r + grain(random)), clamp(g + grain(random)), clamp(b + grain(random))});
    }
  return image;
}

inline std::string ReadFileBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// Runs a shell command; its standard output and exit status.
struct TToolResult {
  int status = -1;
  std::string output;
};
inline TToolResult RunTool(const std::string& command) {
  TToolResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
  result.status = pclose(pipe);
  return result;
}

// Binary PPM, the form in which pictures go to and come from ImageMagick.
inline std::string PpmBytes(const TPixelView& view) {
  std::string out = "P6\n" + std::to_string(view.Width) + " " + std::to_string(view.Height) + "\n255\n";
  for (int y = 0; y < view.Height; ++y)
    for (int x = 0; x < view.Width; ++x) {
      const TRgb c = PixelAt(view, x, y);
      out += {static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)};
    }
  return out;
}

// 8 or 16 bits per channel; 16-bit values are rounded to the nearest 8-bit one.
inline TPixelImage ParsePpm(const std::string& bytes) {
  std::istringstream in(bytes);
  std::string magic;
  int width = 0, height = 0, max = 0;
  in >> magic >> width >> height >> max;
  in.get();
  if (magic != "P6" || (max != 255 && max != 65535) || width < 1 || height < 1) return {};
  const int size = max == 255 ? 1 : 2;
  TPixelImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char raw[6];
      if (!in.read(reinterpret_cast<char*>(raw), 3 * size)) return {};
      std::uint8_t rgb[3];
      for (int c = 0; c < 3; ++c)
        rgb[c] = size == 1 ? raw[c] : static_cast<std::uint8_t>(((raw[2 * c] << 8 | raw[2 * c + 1]) * 255 + 32767) / 65535);
      SetPixel(image, x, y, {rgb[0], rgb[1], rgb[2]});
    }
  return image;
}

// ImageMagick's reading of any picture file, as 8-bit RGB.
inline TPixelImage DecodeWithImageMagick(const std::string& file) {
  const TToolResult result = RunTool("convert '" + file + "' -depth 8 ppm:-");
  return result.status == 0 ? ParsePpm(result.output) : TPixelImage();
}

// What a PNG holds, read chunk by chunk with every CRC checked.
struct TDecodedPng {
  std::string error;  // empty when the file was read
  std::vector<std::string> chunkTypes;
  int width = 0, height = 0, bitDepth = 0, colourType = 0;
  std::vector<TPaletteEntry> palette;
  std::string zlibData;              // the IDAT contents
  std::string rows;                   // inflated, with their filter bytes
  std::vector<std::uint8_t> indices;  // one per pixel, rows from the top
};

inline std::uint32_t Be32(const std::string& s, std::size_t at) {
  return (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at])) << 24) |
         (static_cast<std::uint8_t>(s[at + 1]) << 16) | (static_cast<std::uint8_t>(s[at + 2]) << 8) |
         static_cast<std::uint8_t>(s[at + 3]);
}

inline TDecodedPng ReadPng(const std::string& png) {
  TDecodedPng d;
  if (png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return d.error = "signature", d;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = Be32(png, at);
    if (at + 12 + length > png.size()) return d.error = "chunk past the end", d;
    const std::string type = png.substr(at + 4, 4);
    const std::string data = png.substr(at + 8, length);
    const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
    if (crc != Be32(png, at + 8 + length)) return d.error = "CRC of " + type, d;
    d.chunkTypes.push_back(type);
    if (type == "IHDR") {
      d.width = static_cast<int>(Be32(data, 0));
      d.height = static_cast<int>(Be32(data, 4));
      d.bitDepth = static_cast<std::uint8_t>(data[8]);
      d.colourType = static_cast<std::uint8_t>(data[9]);
    } else if (type == "PLTE") {
      for (std::size_t i = 0; i + 2 < data.size(); i += 3)
        d.palette.push_back({static_cast<std::uint8_t>(data[i]), static_cast<std::uint8_t>(data[i + 1]),
                             static_cast<std::uint8_t>(data[i + 2])});
    } else if (type == "IDAT") {
      d.zlibData += data;
    }
    at += 12 + length;
  }
  if (at != png.size()) return d.error = "bytes after the last chunk", d;
  const std::size_t rowBytes = d.bitDepth == 8 ? d.width : (d.width + 1) / 2;
  std::string rows(d.height * (rowBytes + 1), '\0');
  uLongf size = rows.size();
  if (uncompress(reinterpret_cast<Bytef*>(&rows[0]), &size, reinterpret_cast<const Bytef*>(d.zlibData.data()),
                 d.zlibData.size()) != Z_OK ||
      size != rows.size())
    return d.error = "image data do not inflate to the rows", d;
  d.rows = rows;
  for (int y = 0; y < d.height; ++y) {
    const std::size_t row = y * (rowBytes + 1);
    if (rows[row] != 0) return d.error = "filter byte", d;
    for (int x = 0; x < d.width; ++x) {
      const auto byte = static_cast<std::uint8_t>(rows[row + 1 + (d.bitDepth == 8 ? x : x / 2)]);
      d.indices.push_back(d.bitDepth == 8 ? byte : (x % 2 == 0 ? byte >> 4 : byte & 0x0F));
    }
  }
  return d;
}
