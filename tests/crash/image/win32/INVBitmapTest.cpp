#include <windows.h>

#include <gtest/gtest.h>

#include "crash/image/BmpFile.h"
#include "crash/image/PngEncoder.h"
#include "crash/image/win32/INVBitmap.h"
#include "tests/support/ScratchDir.h"

namespace {

COLORREF PixelOf(const TINVBitmap& bitmap, int x, int y) {
  const std::uint8_t* p = bitmap.Pixels().Row(y) + 4 * x;
  return RGB(p[2], p[1], p[0]);
}

void Fill(const TINVBitmap& bitmap, RECT rect, COLORREF colour) {
  TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  FillRect(bitmap.DC(), &rect, brush.Get());
}

TEST(INVBitmapTest, DrawingLandsInThePixelsAndDrawsOnward) {
  auto bitmap = TINVBitmap::Create(5, 4);
  ASSERT_TRUE(bitmap);
  Fill(*bitmap, {1, 1, 3, 3}, RGB(255, 10, 20));
  EXPECT_EQ(PixelOf(*bitmap, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(*bitmap, 1, 1), RGB(255, 10, 20));
  EXPECT_EQ(PixelOf(*bitmap, 2, 2), RGB(255, 10, 20));
  EXPECT_EQ(PixelOf(*bitmap, 3, 3), RGB(0, 0, 0));

  auto target = TINVBitmap::Create(10, 10);
  ASSERT_TRUE(target);
  ASSERT_TRUE(bitmap->Draw(target->DC(), 4, 5));
  EXPECT_EQ(PixelOf(*target, 5, 6), RGB(255, 10, 20));
  EXPECT_EQ(PixelOf(*target, 4, 5), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(target->DC(), 6, 7), RGB(255, 10, 20));
}

TEST(INVBitmapTest, FilesAndScaledCopy) {
  ScratchDir scratch;
  auto bitmap = TINVBitmap::Create(40, 30);
  ASSERT_TRUE(bitmap);
  Fill(*bitmap, {0, 0, 40, 30}, RGB(200, 220, 240));
  Fill(*bitmap, {10, 5, 30, 25}, RGB(20, 40, 60));

  EXPECT_EQ(bitmap->BmpBytes(), BmpBytes(bitmap->Pixels()));
  ASSERT_TRUE(WriteBmpFile(*bitmap, scratch.File("shot.bmp")));
  auto loaded = LoadBmp(scratch.File("shot.bmp"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->BmpBytes(), bitmap->BmpBytes());
  EXPECT_FALSE(LoadBmp(scratch.File("missing.bmp")));

  const std::string png = PngBytes(*bitmap, 0);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  ASSERT_TRUE(WritePngFile(*bitmap, scratch.File("shot.png"), 0));
  EXPECT_FALSE(WritePngFile(*bitmap, scratch.File("no such folder\\shot.png"), 0));

  auto scaled = Zoom(*bitmap, 20, 15);
  ASSERT_TRUE(scaled);
  EXPECT_EQ(scaled->Width(), 20);
  EXPECT_EQ(scaled->Height(), 15);
  EXPECT_EQ(PixelOf(*scaled, 10, 7), RGB(20, 40, 60));
  EXPECT_EQ(PixelOf(*scaled, 0, 0), RGB(200, 220, 240));
  EXPECT_FALSE(Zoom(*bitmap, 0, 15));
}

TEST(INVBitmapTest, RefusedSizesGiveNoBitmap) {
  EXPECT_FALSE(TINVBitmap::Create(0, 5));
  EXPECT_FALSE(TINVBitmap::Create(5, -1));
  EXPECT_FALSE(TINVBitmap::Create(TPixelImage::kMaxSide + 1, 1));
  EXPECT_FALSE(TINVBitmap::FromPixels(TPixelView{}));
}

}  // namespace
