#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "crash/image/GreyLevels.h"
#include "crash/image/ImageFiles.h"
#include "crash/image/PngEncoder.h"
#include "tests/crash/image/ImageTestSupport.h"
#include "tests/support/ScratchDir.h"

namespace {

std::size_t DistinctColours(const TPixelView& view) {
  std::set<std::uint32_t> seen;
  for (int y = 0; y < view.Height; ++y)
    for (int x = 0; x < view.Width; ++x) {
      const TRgb c = PixelAt(view, x, y);
      seen.insert((c.r << 16) | (c.g << 8) | c.b);
    }
  return seen.size();
}

// What every pixel must decode to, worked out from the rules alone and the
// palette that the file carries: the colours themselves when there are at
// most 256; else the nearest palette entry (sum of absolute differences,
// first on ties) to the first pixel met in the pixel's 15-bit cell; in grey
// the level nearest to the weighted grey.
TPixelImage ExpectedPixels(const TPixelView& view, const TDecodedPng& png) {
  TPixelImage expected(view.Width, view.Height);
  const bool exact = png.bitDepth == 8 && DistinctColours(view) <= 256;
  std::map<int, TRgb> firstOfCell;
  for (int y = 0; y < view.Height; ++y)
    for (int x = 0; x < view.Width; ++x) {
      const TRgb c = PixelAt(view, x, y);
      if (png.bitDepth == 4) {
        const int grey = (c.r * 77 + c.g * 151 + c.b * 28) >> 8;
        int best = 0;
        for (int i = 0; i < 16; ++i)
          if (std::abs(kGreyLevels[i] - grey) < std::abs(kGreyLevels[best] - grey)) best = i;
        SetPixel(expected, x, y, {kGreyLevels[best], kGreyLevels[best], kGreyLevels[best]});
        continue;
      }
      if (exact) {
        SetPixel(expected, x, y, c);
        continue;
      }
      const TRgb first = firstOfCell.emplace(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3), c).first->second;
      std::size_t best = 0;
      int bestDistance = 1 << 30;
      for (std::size_t i = 0; i < png.palette.size(); ++i) {
        const TPaletteEntry& e = png.palette[i];
        const int distance = std::abs(e.r - first.r) + std::abs(e.g - first.g) + std::abs(e.b - first.b);
        if (distance < bestDistance) bestDistance = distance, best = i;
      }
      SetPixel(expected, x, y, {png.palette[best].r, png.palette[best].g, png.palette[best].b});
    }
  return expected;
}

int CountDifferentPixels(const TPixelView& a, const TPixelView& b) {
  if (a.Width != b.Width || a.Height != b.Height) return -1;
  int different = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) {
      const TRgb p = PixelAt(a, x, y), q = PixelAt(b, x, y);
      different += (p.r != q.r || p.g != q.g || p.b != q.b) ? 1 : 0;
    }
  return different;
}

struct TPictureCase {
  const char* name;
  TPixelImage picture;
};

std::vector<TPictureCase> Pictures() {
  std::vector<TPictureCase> cases;
  cases.push_back({"one pixel", RandomPicture(1, 1, RandomColours(1, 1), 1)});
  cases.push_back({"one colour", RandomPicture(40, 9, RandomColours(1, 2), 2)});
  cases.push_back({"odd width, 7 colours", RandomPicture(33, 17, RandomColours(7, 3), 3)});
  cases.push_back({"256 colours", RandomPicture(64, 64, RandomColours(256, 4), 4)});
  cases.push_back({"257 colours", RandomPicture(61, 70, RandomColours(257, 5), 5)});
  cases.push_back({"5000 colours", RandomPicture(120, 80, RandomColours(5000, 6), 6)});
  cases.push_back({"photo-like", PhotoLikePicture(200, 150, 7)});
  // Neighbours inside one 5-bit cell, which the moment tables cannot tell apart.
  cases.push_back({"close colours", RandomPicture(16, 16, {{0, 0, 0}, {1, 1, 1}, {7, 0, 7}, {200, 201, 202}}, 8)});
  return cases;
}

// Every PNG passes pngcheck, and both ImageMagick and our reader decode it
// to the pixels that the rules give.
TEST(PngBytesTest, DecodesToWhatThePaletteMappingSays) {
  ScratchDir scratch;
  for (const TPictureCase& c : Pictures()) {
    for (int level : {0, 1}) {
      SCOPED_TRACE(std::string(c.name) + ", level " + std::to_string(level));
      const TPixelView view = c.picture.View();
      const std::string png = PngBytes(view, level);
      const TDecodedPng decoded = ReadPng(png);
      ASSERT_EQ(decoded.error, "");
      EXPECT_EQ(decoded.bitDepth, level == 1 ? 4 : 8);
      const std::string file = scratch.File("picture.png");
      WriteFileBytes(file, png);
      const TToolResult check = RunTool("pngcheck -q '" + file + "'");
      EXPECT_EQ(check.status, 0) << check.output;

      const TPixelImage expected = ExpectedPixels(view, decoded);
      const TPixelImage magick = DecodeWithImageMagick(file);
      EXPECT_EQ(CountDifferentPixels(magick.View(), expected.View()), 0);
      TPixelImage ours(decoded.width, decoded.height);
      for (int y = 0; y < decoded.height; ++y)
        for (int x = 0; x < decoded.width; ++x) {
          const TPaletteEntry& e = decoded.palette.at(decoded.indices[y * decoded.width + x]);
          SetPixel(ours, x, y, {e.r, e.g, e.b});
        }
      EXPECT_EQ(CountDifferentPixels(ours.View(), expected.View()), 0);
    }
  }
}

TEST(PngBytesTest, LayoutIsOneImageChunkWithAPlainZlibStream) {
  const TPixelImage picture = RandomPicture(31, 50, RandomColours(300, 9), 9);
  for (int level : {0, 1}) {
    const std::string png = PngBytes(picture.View(), level);
    const TDecodedPng d = ReadPng(png);
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.chunkTypes, (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
    EXPECT_EQ(png.substr(8, 8), std::string("\0\0\0\x0dIHDR", 8));
    // width 31, height 50, depth, colour type 3, compression, filter, interlace 0
    EXPECT_EQ(png.substr(16, 13), std::string("\0\0\0\x1f\0\0\0\x32", 8) + char(level == 1 ? 4 : 8) +
                                      std::string("\x03\0\0\0", 4));
    EXPECT_EQ(d.zlibData.substr(0, 2), "\x78\x01");
    const auto adler = adler32(adler32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(d.rows.data()), d.rows.size());
    EXPECT_EQ(Be32(d.zlibData, d.zlibData.size() - 4), adler);
    EXPECT_EQ(d.palette.size(), level == 1 ? 16u : 256u);
  }
}

TEST(PngBytesTest, GreyRowsPackTwoPixelsPerByteHighHalfFirst) {
  // Levels 15, 0, 8 on one row of three: 0xF0, then 0x8 in a half-filled byte.
  TPixelImage picture(3, 1);
  SetPixel(picture, 0, 0, {255, 255, 255});
  SetPixel(picture, 1, 0, {0, 0, 0});
  SetPixel(picture, 2, 0, {155, 155, 155});
  const TDecodedPng d = ReadPng(PngBytes(picture.View(), 1));
  ASSERT_EQ(d.error, "");
  EXPECT_EQ(d.rows, std::string("\x00\xF0\x80", 3));
  std::vector<std::uint8_t> levels;
  for (const TPaletteEntry& e : d.palette) levels.push_back(e.r);
  EXPECT_EQ(levels, std::vector<std::uint8_t>(kGreyLevels.begin(), kGreyLevels.end()));
}

TEST(GreyLevelsTest, WeightedGreyAndNearestLevelFirstOnTies) {
  struct {
    TRgb colour;
    int grey, level;
  } cases[] = {
      {{255, 255, 255}, 255, 15}, {{0, 0, 0}, 0, 0},       {{255, 0, 0}, 76, 3},
      {{0, 255, 0}, 150, 8},      {{0, 0, 255}, 27, 1},
      {{14, 14, 14}, 14, 0},    // halfway between 0 and 28: the first
      {{15, 15, 15}, 15, 1},
      {{248, 248, 248}, 248, 14},  // halfway between 241 and 255
  };
  for (const auto& c : cases) {
    const int grey = GreyOf(c.colour.r, c.colour.g, c.colour.b);
    EXPECT_EQ(grey, c.grey);
    EXPECT_EQ(GreyLevelOf(static_cast<std::uint8_t>(grey)), c.level) << grey;
  }
}

TEST(PngBytesTest, LevelsChooseBetweenColourAndGreyBySize) {
  // 400 x 300 pixels of 5000 random colours: the colour image takes about a
  // byte a pixel (over 102400, under 204800 bytes), the grey one half that.
  const TPixelImage noise = RandomPicture(400, 300, RandomColours(5000, 10), 10);
  const std::size_t colour = PngBytes(noise.View(), 0).size();
  const std::size_t grey = PngBytes(noise.View(), 1).size();
  ASSERT_GT(colour, 102400u);
  ASSERT_LT(colour, 204800u);
  ASSERT_LT(grey, colour);
  const struct {
    int level;
    int bitDepth;
  } cases[] = {{0, 8}, {1, 4}, {2, 4}, {3, 4}, {4, 8}, {5, 8}, {6, 8}, {-1, 8}};
  for (const auto& c : cases) {
    const TDecodedPng d = ReadPng(PngBytes(noise.View(), c.level));
    EXPECT_EQ(d.error, "");
    EXPECT_EQ(d.bitDepth, c.bitDepth) << "level " << c.level;
  }
  // A small picture stays in colour at every level but 1.
  const TPixelImage small = RandomPicture(50, 50, RandomColours(5000, 11), 11);
  for (int level = 2; level <= 5; ++level) EXPECT_EQ(ReadPng(PngBytes(small.View(), level)).bitDepth, 8);
}

TEST(PngBytesTest, DepthSettingsGiveLevels) {
  const std::pair<int, int> cases[] = {{4, 1},      {51200, 2}, {102400, 3}, {204800, 4}, {307200, 5},
                                       {0, 0},      {1, 0},     {5, 0},      {51201, 0},  {-4, 0}};
  for (const auto& c : cases) EXPECT_EQ(PngLevelForDepth(c.first), c.second) << c.first;
}

TEST(PngBytesTest, EmptyPictureGivesNoImageAndNoFile) {
  ScratchDir scratch;
  const TPixelImage empty;
  EXPECT_EQ(PngBytes(empty.View(), 0), "");
  EXPECT_FALSE(WritePngFile(empty.View(), scratch.File("empty.png"), 0));
  EXPECT_FALSE(std::filesystem::exists(scratch.File("empty.png")));
}

// A file size limit makes the write fail half way: the part written goes.
TEST(ImageFilesTest, FailedSaveDeletesThePartlyWrittenFile) {
  ScratchDir scratch;
  const TPixelImage picture = RandomPicture(300, 200, RandomColours(5000, 12), 12);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  const bool png = WritePngFile(picture.View(), scratch.File("cut.png"), 0);
  const bool bmp = WriteBmpFile(picture.View(), scratch.File("cut.bmp"));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(png);
  EXPECT_FALSE(bmp);
  EXPECT_FALSE(std::filesystem::exists(scratch.File("cut.png")));
  EXPECT_FALSE(std::filesystem::exists(scratch.File("cut.bmp")));
  EXPECT_FALSE(WriteBmpFile(picture.View(), scratch.File("no such folder/shot.bmp")));

  ASSERT_TRUE(WritePngFile(picture.View(), scratch.File("whole.png"), 0));
  EXPECT_EQ(ReadFileBytes(scratch.File("whole.png")), PngBytes(picture.View(), 0));
}

}  // namespace
