#include <set>

#include <gtest/gtest.h>

#include "crash/image/WuQuantizer.h"
#include "tests/crash/image/ImageTestSupport.h"
#include "tests/support/ScratchDir.h"

namespace {

std::set<std::uint32_t> ColourSet(const std::vector<TPaletteEntry>& palette) {
  std::set<std::uint32_t> set;
  for (const TPaletteEntry& e : palette) set.insert((e.r << 16) | (e.g << 8) | e.b);
  return set;
}

std::set<std::uint32_t> ColourSet(const std::vector<TRgb>& colours) {
  std::set<std::uint32_t> set;
  for (const TRgb& c : colours) set.insert((c.r << 16) | (c.g << 8) | c.b);
  return set;
}

// Colours that lie in different 5-bit cells.
std::vector<TRgb> ColoursInOwnCells(int count, unsigned seed) {
  std::vector<TRgb> result;
  std::set<int> cells;
  for (const TRgb& c : RandomColours(count * 2, seed)) {
    if (static_cast<int>(result.size()) == count) break;
    if (cells.insert(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)).second) result.push_back(c);
  }
  return result;
}

// Mean absolute difference per channel between a picture and its reduction.
double MeanError(const TPixelView& a, const TPixelView& b) {
  double sum = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) {
      const TRgb p = PixelAt(a, x, y), q = PixelAt(b, x, y);
      sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
  return sum / (3.0 * a.Width * a.Height);
}

TPixelImage Remapped(const TPixelView& view, const TIndexedImage& reduced) {
  TPixelImage out(view.Width, view.Height);
  for (int y = 0; y < view.Height; ++y)
    for (int x = 0; x < view.Width; ++x) {
      const TPaletteEntry& e = reduced.palette.at(reduced.indices.at(y * view.Width + x));
      SetPixel(out, x, y, {e.r, e.g, e.b});
    }
  return out;
}

// Wu's boxes separate every occupied cell while there are at most 256, and
// the mean of a cell of one colour is that colour.
TEST(WuQuantizerTest, FewColoursInOwnCellsComeBackExactly) {
  for (int count : {1, 2, 17, 256}) {
    const std::vector<TRgb> colours = ColoursInOwnCells(count, 20 + count);
    const TPixelImage picture = RandomPicture(70, 70, colours, count);
    const std::vector<TPaletteEntry> palette = WuPalette(picture.View());
    EXPECT_EQ(palette.size(), colours.size());
    EXPECT_EQ(ColourSet(palette), ColourSet(colours)) << count << " colours";
  }
}

TEST(WuQuantizerTest, AtMost256ColoursAreKeptEvenInOneCell) {
  const struct {
    const char* name;
    std::vector<TRgb> colours;
  } cases[] = {
      {"one cell", {{0, 0, 0}, {1, 1, 1}, {7, 7, 7}, {3, 0, 6}}},
      {"256 random", RandomColours(256, 30)},
  };
  for (const auto& c : cases) {
    const TPixelImage picture = RandomPicture(80, 80, c.colours, 31);
    const TIndexedImage reduced = ReduceColours(picture.View());
    EXPECT_EQ(ColourSet(reduced.palette), ColourSet(c.colours)) << c.name;
    EXPECT_EQ(MeanError(picture.View(), Remapped(picture.View(), reduced).View()), 0.0) << c.name;
  }
}

TEST(WuQuantizerTest, ManyColoursFillTheWholePalette) {
  const TPixelImage picture = RandomPicture(100, 100, RandomColours(2000, 40), 40);
  const TIndexedImage reduced = ReduceColours(picture.View());
  EXPECT_EQ(reduced.palette.size(), 256u);
  EXPECT_EQ(ColourSet(reduced.palette).size(), 256u);
  // Every pixel went to an entry of the palette; no pixel of a cell differs
  // from the first of that cell.
  ASSERT_EQ(reduced.indices.size(), 10000u);
  std::vector<int> entryOfCell(1 << 15, -1);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const TRgb c = PixelAt(picture.View(), x, y);
      int& entry = entryOfCell[((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)];
      if (entry < 0) entry = reduced.indices[y * 100 + x];
      EXPECT_EQ(entry, reduced.indices[y * 100 + x]);
    }
}

TEST(WuQuantizerTest, NearestEntryTakesTheFirstOnTies) {
  const std::vector<TPaletteEntry> palette = {{10, 10, 10}, {0, 0, 0}, {20, 20, 20}, {0, 0, 0}};
  EXPECT_EQ(NearestEntry(palette, 5, 5, 5), 0);   // 15 from the first and from the second
  EXPECT_EQ(NearestEntry(palette, 0, 0, 1), 1);   // the first of two equal entries
  EXPECT_EQ(NearestEntry(palette, 15, 15, 15), 0);  // 15 from the first and from the third
  EXPECT_EQ(NearestEntry(palette, 30, 0, 0), 1);    // 30 from black, 40 and 50 from the greys
  EXPECT_EQ(NearestEntry(palette, 16, 16, 16), 2);
}

// On a photograph-like picture Wu's palette with its cached nearest mapping
// is no worse on average than ImageMagick's own 256-colour reduction (which
// dithers). Its reduction without dithering is printed beside it: the cache,
// which lets the first pixel of a 15-bit cell decide for the whole cell,
// costs about half a level on a grainy picture and puts ours a little above
// that one.
TEST(WuQuantizerTest, MeanErrorOnAPhotoIsNoWorseThanImageMagicks) {
  ScratchDir scratch;
  const TPixelImage photo = PhotoLikePicture(320, 240, 50);
  const std::string file = scratch.File("photo.ppm");
  WriteFileBytes(file, PpmBytes(photo.View()));
  const double ours = MeanError(photo.View(), Remapped(photo.View(), ReduceColours(photo.View())).View());
  const TToolResult own = RunTool("convert '" + file + "' -colors 256 ppm:-");
  const TToolResult plain = RunTool("convert '" + file + "' +dither -colors 256 ppm:-");
  ASSERT_EQ(own.status, 0) << own.output;
  ASSERT_EQ(plain.status, 0) << plain.output;
  const double magick = MeanError(photo.View(), ParsePpm(own.output).View());
  const double magickPlain = MeanError(photo.View(), ParsePpm(plain.output).View());
  std::printf("mean error per channel: ours %.3f, ImageMagick -colors 256 %.3f (without dithering %.3f)\n", ours,
              magick, magickPlain);
  EXPECT_LE(ours, magick);
}

}  // namespace
