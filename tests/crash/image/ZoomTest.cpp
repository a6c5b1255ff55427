#include <gtest/gtest.h>

#include "crash/image/Zoom.h"
#include "tests/crash/image/ImageTestSupport.h"
#include "tests/support/ScratchDir.h"

namespace {

struct TDifference {
  int max = 0;
  double mean = 0;
};

TDifference Compare(const TPixelView& a, const TPixelView& b) {
  TDifference d;
  long long sum = 0;
  for (int y = 0; y < a.Height; ++y)
    for (int x = 0; x < a.Width; ++x) {
      const TRgb p = PixelAt(a, x, y), q = PixelAt(b, x, y);
      for (int delta : {p.r - q.r, p.g - q.g, p.b - q.b}) {
        d.max = std::max(d.max, std::abs(delta));
        sum += std::abs(delta);
      }
    }
  d.mean = static_cast<double>(sum) / (3.0 * a.Width * a.Height);
  return d;
}

// ImageMagick's Mitchell resize of the same picture is the reference, taken
// at 16 bits and rounded here (its own 8-bit output rounds down); the two
// then differ only where the exact value lies close to a half.
TEST(ZoomTest, AgreesWithImageMagicksMitchellResize) {
  ScratchDir scratch;
  const TPixelImage photo = PhotoLikePicture(160, 120, 60);
  const TPixelImage sharp = RandomPicture(40, 30, RandomColours(6, 61), 61);
  const struct {
    const char* name;
    const TPixelImage& picture;
    int width, height;
  } cases[] = {
      {"photo halved", photo, 80, 60},       {"photo to a third, uneven", photo, 53, 41},
      {"photo doubled", photo, 320, 240},    {"photo wider, lower", photo, 250, 70},
      {"hard edges enlarged", sharp, 173, 97}, {"hard edges shrunk", sharp, 13, 11},
      {"to one pixel", sharp, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = scratch.File("source.ppm");
    WriteFileBytes(file, PpmBytes(c.picture.View()));
    const TToolResult magick = RunTool("convert '" + file + "' -filter Mitchell -resize " + std::to_string(c.width) +
                                       "x" + std::to_string(c.height) + "! -depth 16 ppm:-");
    ASSERT_EQ(magick.status, 0) << magick.output;
    const TPixelImage expected = ParsePpm(magick.output);
    const TPixelImage zoomed = Zoom(c.picture.View(), c.width, c.height);
    ASSERT_EQ(zoomed.Width(), c.width);
    ASSERT_EQ(zoomed.Height(), c.height);
    ASSERT_EQ(expected.Width(), c.width);
    const TDifference d = Compare(zoomed.View(), expected.View());
    std::printf("zoom %s: largest difference %d, mean %.4f\n", c.name, d.max, d.mean);
    EXPECT_LE(d.max, 1);
    EXPECT_LE(d.mean, 0.01);
  }
}

TEST(ZoomTest, FlatPictureStaysFlat) {
  const TPixelImage flat = RandomPicture(37, 29, {{12, 200, 99}}, 1);
  for (const auto& size : {std::pair<int, int>{100, 7}, {5, 90}, {37, 29}}) {
    const TPixelImage zoomed = Zoom(flat.View(), size.first, size.second);
    for (int y = 0; y < zoomed.Height(); ++y)
      for (int x = 0; x < zoomed.Width(); ++x) {
        const TRgb c = PixelAt(zoomed.View(), x, y);
        ASSERT_TRUE(c.r == 12 && c.g == 200 && c.b == 99) << x << "," << y;
      }
  }
}

TEST(ZoomTest, FilterShapeAndRefusedSizes) {
  EXPECT_NEAR(MitchellWeight(0.0), 8.0 / 9.0, 1e-12);
  EXPECT_NEAR(MitchellWeight(1.0), 1.0 / 18.0, 1e-12);
  EXPECT_NEAR(MitchellWeight(-1.0), 1.0 / 18.0, 1e-12);
  EXPECT_LT(MitchellWeight(1.5), 0.0);  // the negative lobe that keeps edges sharp
  EXPECT_EQ(MitchellWeight(2.0), 0.0);
  const TPixelImage picture = RandomPicture(4, 4, {{1, 2, 3}}, 1);
  const std::pair<int, int> refused[] = {{0, 5}, {5, 0}, {-1, 3}, {TPixelImage::kMaxSide + 1, 1}};
  for (const auto& size : refused) EXPECT_TRUE(Zoom(picture.View(), size.first, size.second).Empty());
  EXPECT_TRUE(Zoom(TPixelImage().View(), 3, 3).Empty());
}

}  // namespace
