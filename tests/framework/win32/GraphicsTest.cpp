// Canvas operations and image lists, checked on the pixels of bitmaps.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

#include "framework/win32/Bitmap.h"
#include "framework/win32/ImageList.h"

namespace {

// Tools own their GDI handle: a copy would delete it twice. Assign copies the look.
static_assert(!std::is_copy_constructible_v<TGraphicsObject> && !std::is_copy_assignable_v<TGraphicsObject>);
static_assert(!std::is_copy_constructible_v<TFont> && !std::is_copy_assignable_v<TFont>);
static_assert(!std::is_copy_constructible_v<TBrush> && !std::is_copy_assignable_v<TPen>);

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFuchsia = RGB(255, 0, 255);

void Fill(TBitmap& bitmap, const RECT& rect, COLORREF color) {
  bitmap.Canvas()->Brush()->SetColor(static_cast<TColor>(color));
  bitmap.Canvas()->FillRect(rect);
}

TBitmap* NewBitmap(int width, int height, COLORREF color) {
  auto* bitmap = new TBitmap;
  bitmap->SetSize(width, height);
  Fill(*bitmap, RECT{0, 0, width, height}, color);
  return bitmap;
}

int CountPixels(TBitmap& bitmap, const RECT& rect, COLORREF color) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) count += bitmap.Canvas()->Pixel(x, y) == color ? 1 : 0;
  return count;
}

TEST(CanvasTest, EdgesAndFrameControlsDrawThePlatformsPictures) {
  std::unique_ptr<TBitmap> bitmap(NewBitmap(20, 20, kWhite));
  RECT rect{0, 0, 20, 20};
  bitmap->Canvas()->DrawEdge(rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  EXPECT_EQ(rect.left, 2);
  EXPECT_EQ(rect.bottom, 18);
  EXPECT_EQ(bitmap->Canvas()->Pixel(0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(bitmap->Canvas()->Pixel(19, 19), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(bitmap->Canvas()->Pixel(10, 10), kWhite);

  // A check mark is more dark pixels than an empty box.
  int dark[2];
  for (int checked = 0; checked < 2; ++checked) {
    std::unique_ptr<TBitmap> box(NewBitmap(13, 13, kWhite));
    box->Canvas()->DrawFrameControl(RECT{0, 0, 13, 13}, DFC_BUTTON,
                                    DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
    dark[checked] = CountPixels(*box, RECT{3, 3, 10, 10}, ColorToRGB(clWindowText));
  }
  EXPECT_EQ(dark[0], 0);
  EXPECT_GT(dark[1], 5);
}

TEST(CanvasTest, ABitmapDrawsWholeOrLeavesItsTransparentColourOut) {
  std::unique_ptr<TBitmap> glyph(NewBitmap(4, 4, kRed));
  Fill(*glyph, RECT{0, 2, 2, 4}, kFuchsia);  // bottom left: the transparent colour by default
  const struct {
    bool transparent;
    TColor colour;
    COLORREF atCorner;
    COLORREF atRed;
  } cases[] = {
      {false, clDefault, kFuchsia, kRed},
      {true, clDefault, kBlue, kRed},
      {true, static_cast<TColor>(kRed), kFuchsia, kBlue},
  };
  for (const auto& c : cases) {
    glyph->SetTransparent(c.transparent);
    glyph->SetTransparentColor(c.colour);
    std::unique_ptr<TBitmap> target(NewBitmap(10, 10, kBlue));
    target->Canvas()->Draw(3, 3, glyph.get());
    EXPECT_EQ(target->Canvas()->Pixel(3, 6), c.atCorner) << c.transparent << " " << c.colour;
    EXPECT_EQ(target->Canvas()->Pixel(6, 3), c.atRed) << c.transparent << " " << c.colour;
    EXPECT_EQ(target->Canvas()->Pixel(7, 7), kBlue);
  }
  // Stretched: the 4x4 picture covers 8x8.
  glyph->SetTransparent(false);
  std::unique_ptr<TBitmap> target(NewBitmap(10, 10, kBlue));
  target->Canvas()->StretchDraw(RECT{0, 0, 8, 8}, glyph.get());
  EXPECT_EQ(target->Canvas()->Pixel(7, 0), kRed);
  EXPECT_EQ(target->Canvas()->Pixel(0, 7), kFuchsia);
  EXPECT_EQ(target->Canvas()->Pixel(8, 8), kBlue);
}

TEST(CanvasTest, AClipNarrowsDrawingAndGivesTheEarlierClippingBack) {
  std::unique_ptr<TBitmap> bitmap(NewBitmap(20, 20, kWhite));
  TCanvas* canvas = bitmap->Canvas();
  {
    TCanvasClip outer(canvas, RECT{0, 0, 10, 20});
    {
      TCanvasClip inner(canvas, RECT{5, 5, 15, 10});
      EXPECT_EQ(canvas->ClipRect().right, 10);
      Fill(*bitmap, RECT{0, 0, 20, 20}, kRed);
    }
    Fill(*bitmap, RECT{0, 15, 20, 20}, kGreen);
  }
  Fill(*bitmap, RECT{18, 0, 20, 2}, kBlue);
  EXPECT_EQ(CountPixels(*bitmap, RECT{0, 0, 20, 20}, kRed), 5 * 5);
  EXPECT_EQ(canvas->Pixel(7, 7), kRed);
  EXPECT_EQ(CountPixels(*bitmap, RECT{0, 0, 20, 20}, kGreen), 10 * 5);
  EXPECT_EQ(canvas->Pixel(19, 0), kBlue);
}

TEST(CanvasTest, TextCutWithAnEllipsisStaysInsideItsRectangle) {
  const WideString text = u"A caption much too long for its place";
  std::unique_ptr<TBitmap> bitmap(NewBitmap(200, 20, kWhite));
  TCanvas* canvas = bitmap->Canvas();
  canvas->Font()->SetColor(clBlack);
  canvas->Brush()->SetStyle(bsClear);
  ASSERT_GT(canvas->TextWidth(text), 60);
  canvas->TextRectEllipsis(RECT{0, 0, 60, 20}, text);
  EXPECT_LT(CountPixels(*bitmap, RECT{0, 0, 60, 20}, kWhite), 60 * 20);
  EXPECT_EQ(CountPixels(*bitmap, RECT{60, 0, 200, 20}, kWhite), 140 * 20);
  // The dots sit at the right end of the rectangle.
  EXPECT_LT(CountPixels(*bitmap, RECT{45, 0, 60, 20}, kWhite), 15 * 20);
}

TEST(ImageListTest, ImagesAreAddedFromStripsAndDrawnByIndexMaskedOrDisabled) {
  TImageList images(nullptr, 8, 8);
  int changes = 0;
  images.OnChange = [&changes](TObject*) { ++changes; };
  std::unique_ptr<TBitmap> strip(NewBitmap(16, 8, kRed));
  Fill(*strip, RECT{8, 0, 16, 8}, kGreen);
  Fill(*strip, RECT{0, 0, 2, 2}, kFuchsia);
  EXPECT_EQ(images.AddMasked(strip.get(), static_cast<TColor>(kFuchsia)), 0);
  EXPECT_EQ(images.Count(), 2);
  std::unique_ptr<TBitmap> blue(NewBitmap(8, 8, kBlue));
  EXPECT_EQ(images.Add(blue.get(), nullptr), 2);
  EXPECT_EQ(changes, 2);

  const struct {
    int index;
    bool enabled;
    COLORREF atCorner;  // (1, 1): transparent in image 0
    COLORREF atMiddle;
  } cases[] = {
      {0, true, kWhite, kRed},
      {1, true, kGreen, kGreen},
      {2, true, kBlue, kBlue},
      {0, false, kWhite, ColorToRGB(clBtnShadow)},
      {3, true, kWhite, kWhite},
      {-1, true, kWhite, kWhite},
  };
  for (const auto& c : cases) {
    std::unique_ptr<TBitmap> target(NewBitmap(12, 12, kWhite));
    images.Draw(target->Canvas(), 2, 2, c.index, c.enabled);
    EXPECT_EQ(target->Canvas()->Pixel(3, 3), c.atCorner) << c.index << " " << c.enabled;
    EXPECT_EQ(target->Canvas()->Pixel(6, 6), c.atMiddle) << c.index << " " << c.enabled;
    EXPECT_EQ(target->Canvas()->Pixel(11, 11), kWhite);
  }

  TBitmap copy;
  images.GetBitmap(1, &copy, static_cast<TColor>(kWhite));
  EXPECT_EQ(copy.Width(), 8);
  EXPECT_EQ(copy.Canvas()->Pixel(4, 4), kGreen);
  images.Delete(0);
  EXPECT_EQ(images.Count(), 2);
  images.SetSize(16, 16);
  EXPECT_EQ(images.Count(), 0);
  EXPECT_EQ(images.Width(), 16);
}

}  // namespace
