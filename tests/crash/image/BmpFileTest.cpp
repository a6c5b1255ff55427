#include <climits>

#include <gtest/gtest.h>

#include "crash/image/BmpFile.h"
#include "crash/image/ImageFiles.h"
#include "tests/crash/image/ImageTestSupport.h"
#include "tests/support/ScratchDir.h"

namespace {

std::uint32_t Le(const std::string& s, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(s[at + i]);
  return value;
}

void PutLe(std::string& s, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(value >> (8 * i));
}

bool SamePixels(const TPixelView& a, const TPixelView& b) {
  if (a.Width != b.Width || a.Height != b.Height) return false;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) {
      const TRgb p = PixelAt(a, x, y), q = PixelAt(b, x, y);
      if (p.r != q.r || p.g != q.g || p.b != q.b) return false;
    }
  return true;
}

TEST(BmpFileTest, HeaderAndPixelsAsStored) {
  TPixelImage picture(3, 2);
  SetPixel(picture, 0, 0, {1, 2, 3});
  SetPixel(picture, 2, 1, {250, 251, 252});
  const std::string bmp = BmpBytes(picture.View());
  ASSERT_EQ(bmp.size(), 54u + 24u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  const struct {
    std::size_t at;
    int bytes;
    std::uint32_t value;
  } fields[] = {{2, 4, 78},  {6, 4, 0},   {10, 4, 54}, {14, 4, 40}, {18, 4, 3},
                {22, 4, 2},  {26, 2, 1},  {28, 2, 32}, {30, 4, 0},  {34, 4, 24}};
  for (const auto& f : fields) EXPECT_EQ(Le(bmp, f.at, f.bytes), f.value) << "offset " << f.at;
  // Bottom-up: the first stored row is the lower one, blue first.
  EXPECT_EQ(bmp.substr(54 + 8, 3), "\xFC\xFB\xFA");
  EXPECT_EQ(bmp.substr(54 + 12, 3), "\x03\x02\x01");
}

TEST(BmpFileTest, SavedFileLoadsBack) {
  ScratchDir scratch;
  const TPixelImage picture = PhotoLikePicture(41, 17, 3);
  ASSERT_TRUE(WriteBmpFile(picture.View(), scratch.File("shot.bmp")));
  const auto loaded = ReadBmpFile(scratch.File("shot.bmp"));
  ASSERT_TRUE(loaded.has_value());
  EXPECT_TRUE(SamePixels(loaded->View(), picture.View()));
  // ImageMagick reads our file the same.
  EXPECT_TRUE(SamePixels(DecodeWithImageMagick(scratch.File("shot.bmp")).View(), picture.View()));
  EXPECT_FALSE(ReadBmpFile(scratch.File("missing.bmp")).has_value());
}

// What an editor may save the screenshot as: every format is written by
// ImageMagick, and our reading must equal ImageMagick's.
TEST(BmpFileTest, ReadsWhatImageEditorsWrite) {
  ScratchDir scratch;
  const std::string many = scratch.File("many.ppm"), few = scratch.File("few.ppm"), two = scratch.File("two.ppm");
  WriteFileBytes(many, PpmBytes(PhotoLikePicture(37, 23, 4).View()));
  WriteFileBytes(few, PpmBytes(RandomPicture(37, 23, RandomColours(12, 5), 5).View()));
  WriteFileBytes(two, PpmBytes(RandomPicture(37, 23, {{0, 0, 0}, {255, 255, 255}}, 6).View()));
  const struct {
    const char* name;
    std::string source, options, format;
    int bitCount;
  } cases[] = {
      {"24 bits", many, "-type TrueColor", "BMP3", 24},
      {"24 bits, 124-byte header", many, "-type TrueColor", "BMP", 24},
      {"32 bits with masks", many, "-type TrueColorAlpha -define bmp:format=bmp4", "BMP", 32},
      {"16 bits 5-6-5", many, "-define bmp:subtype=RGB565", "BMP", 16},
      {"16 bits 5-5-5", many, "-define bmp:subtype=RGB555", "BMP", 16},
      {"8-bit palette", many, "-type Palette -compress None", "BMP3", 8},
      {"4-bit palette", few, "-type Palette -compress None", "BMP3", 4},
      {"1 bit", two, "-type Bilevel", "BMP3", 1},
      {"core header", few, "-type Palette", "BMP2", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = scratch.File("written.bmp");
    const TToolResult made = RunTool("convert '" + c.source + "' " + c.options + " " + c.format + ":'" + file + "'");
    ASSERT_EQ(made.status, 0) << made.output;
    const std::string bytes = ReadFileBytes(file);
    const std::size_t bitCountAt = Le(bytes, 14, 4) == 12 ? 24 : 28;
    EXPECT_EQ(static_cast<int>(Le(bytes, bitCountAt, 2)), c.bitCount);
    const auto ours = ParseBmp(bytes);
    ASSERT_TRUE(ours.has_value());
    EXPECT_TRUE(SamePixels(ours->View(), DecodeWithImageMagick(file).View()));
  }
}

TEST(BmpFileTest, TopDownRowsReadTheRightWayUp) {
  const TPixelImage picture = PhotoLikePicture(5, 4, 7);
  std::string bmp = BmpBytes(picture.View());
  std::string flipped = bmp.substr(0, 54);
  for (int row = 3; row >= 0; --row) flipped += bmp.substr(54 + row * 20, 20);
  PutLe(flipped, 22, static_cast<std::uint32_t>(-4), 4);
  const auto loaded = ParseBmp(flipped);
  ASSERT_TRUE(loaded.has_value());
  EXPECT_TRUE(SamePixels(loaded->View(), picture.View()));
}

TEST(BmpFileTest, DamagedOrUnknownFilesGiveNothing) {
  const std::string good = BmpBytes(RandomPicture(6, 5, {{9, 8, 7}}, 1).View());
  auto with = [&](std::size_t at, std::uint32_t value, int bytes) {
    std::string s = good;
    PutLe(s, at, value, bytes);
    return s;
  };
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"only the magic", "BM"},
      {"other magic", "MB" + good.substr(2)},
      {"pixels cut short", good.substr(0, good.size() - 1)},
      {"header cut short", good.substr(0, 40)},
      {"run-length compressed", with(30, 1, 4)},
      {"unknown bit count", with(28, 7, 2)},
      {"zero width", with(18, 0, 4)},
      {"negative width", with(18, static_cast<std::uint32_t>(-6), 4)},
      {"most negative height", with(22, static_cast<std::uint32_t>(INT_MIN), 4)},
      {"huge width", with(18, 100000, 4)},
      {"header size 20", with(14, 20, 4)},
      {"pixel offset past the end", with(10, 0xFFFFFFF0u, 4)},
  };
  for (const auto& c : cases) EXPECT_FALSE(ParseBmp(c.bytes).has_value()) << c.name;
  EXPECT_TRUE(ParseBmp(good).has_value());
}

}  // namespace
