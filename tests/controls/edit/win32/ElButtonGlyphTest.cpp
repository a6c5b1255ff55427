// The glyph holder drawing into memory bitmaps; pixels are read back.
#include "controls/edit/win32/ElButtonGlyph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "controls/edit/win32/ElGlyphCache.h"
#include "controls/base/win32/ElGlyphDrawing.h"
#include "framework/win32/ImageList.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);  // the glyphs' background
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kTeal = RGB(0, 128, 128);     // the button under the content
constexpr COLORREF kFrameColours[] = {kRed, kGreen, kBlue, kYellow};

void Fill(TBitmap* bitmap, const RECT& rect, COLORREF colour) {
  TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  FillRect(bitmap->Canvas()->Handle(), &rect, brush.Get());
}

// frames side by side, each size x size: background, a square from 4 to size-4 in the frame's colour.
void MakeFrames(TBitmap* glyph, int frames, int size = 16) {
  glyph->SetSize(size * frames, size);
  Fill(glyph, {0, 0, size * frames, size}, kMagenta);
  for (int i = 0; i < frames; ++i) Fill(glyph, {i * size + 4, 4, i * size + size - 4, size - 4}, kFrameColours[i]);
}

COLORREF Pixel(TBitmap* bitmap, int x, int y) {
  return GetPixel(bitmap->Canvas()->Handle(), x, y) & 0xFFFFFF;
}

struct TInk {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;  // inclusive; right < 0: none
  int count = 0;
};

// Where pixels other than the background are, within rect.
TInk InkOf(TBitmap* bitmap, COLORREF background, RECT rect) {
  TInk ink;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x)
      if (Pixel(bitmap, x, y) != background) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
        ++ink.count;
      }
  return ink;
}

int CountColour(TBitmap* bitmap, COLORREF colour) {
  int count = 0;
  for (int y = 0; y < bitmap->Height(); ++y)
    for (int x = 0; x < bitmap->Width(); ++x) count += Pixel(bitmap, x, y) == colour ? 1 : 0;
  return count;
}

class ElButtonGlyphTest : public testing::Test {
 protected:
  ElButtonGlyphTest() { SetButtonSize(75, 25); }

  void SetButtonSize(int width, int height) {
    button.SetSize(width, height);
    Fill(&button, {0, 0, width, height}, kTeal);
  }

  RECT DrawOn(TElButtonGlyph& holder, TElButtonState state, const WideString& caption = u"",
              TElButtonLayout layout = blGlyphLeft, int margin = -1, int spacing = 4) {
    const RECT content{0, 0, button.Width(), button.Height()};
    return holder.Draw(button.Canvas(), content, settings, layout, margin, spacing, state, caption,
                       POINT{0, 0});
  }

  TBitmap button;
  TElButtonDrawSettings settings;
};

TEST_F(ElButtonGlyphTest, EachStateDrawsItsFrame) {
  struct Case {
    int frames;
    TElButtonState state;
    COLORREF want;
  };
  const Case cases[] = {
      {4, ebsUp, kRed},        {4, ebsDisabled, kGreen}, {4, ebsDown, kBlue},
      {4, ebsExclusive, kYellow}, {4, ebsArrDown, kRed},  {3, ebsDown, kBlue},
      {3, ebsExclusive, kRed}, {2, ebsDown, kRed},       {2, ebsDisabled, kGreen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frames << " frames, state " << int(c.state));
    TElButtonGlyph holder;
    MakeFrames(holder.Glyph(), c.frames);
    holder.SetNumGlyphs(c.frames);
    Fill(&button, {0, 0, 75, 25}, kTeal);
    DrawOn(holder, c.state);
    // A 16 x 16 frame centred in 75 x 25 lies at (29, 4).
    EXPECT_EQ(Pixel(&button, 29 + 8, 4 + 8), c.want);
    EXPECT_EQ(Pixel(&button, 29 + 1, 4 + 1), kTeal) << "the glyph background is see-through";
    EXPECT_EQ(InkOf(&button, kTeal, {0, 0, 75, 25}).count, 8 * 8);
  }
}

TEST_F(ElButtonGlyphTest, OneFrameIsEmbossedWhenDisabled) {
  TElButtonGlyph holder;
  MakeFrames(holder.Glyph(), 1);
  holder.GlyphChanged();
  DrawOn(holder, ebsDisabled);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF;
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF;
  const int x = 29, y = 4;
  // The square (4..11) in shadow; its copy one pixel down and right shows as highlight.
  EXPECT_EQ(Pixel(&button, x + 4, y + 4), shadow);
  EXPECT_EQ(Pixel(&button, x + 11, y + 11), shadow);
  EXPECT_EQ(Pixel(&button, x + 12, y + 12), highlight);
  EXPECT_EQ(Pixel(&button, x + 12, y + 5), highlight);
  EXPECT_EQ(Pixel(&button, x + 12, y + 4), kTeal);
  EXPECT_EQ(Pixel(&button, x + 3, y + 3), kTeal);
  EXPECT_EQ(CountColour(&button, kRed), 0);
  EXPECT_EQ(CountColour(&button, GetSysColor(COLOR_3DDKSHADOW) & 0xFFFFFF), 0);
}

// An image list of 16 x 16 images: a square (4..11) of the given colour on see-through magenta.
void FillImages(TImageList& list, std::initializer_list<COLORREF> colours) {
  for (COLORREF colour : colours) {
    TBitmap image;
    image.SetSize(16, 16);
    Fill(&image, {0, 0, 16, 16}, kMagenta);
    Fill(&image, {4, 4, 12, 12}, colour);
    list.AddMasked(&image, kMagenta);
  }
}

TEST_F(ElButtonGlyphTest, ImageListPictureWinsOverTheBitmapAndIsEmbossedWhenDisabled) {
  TImageList images(nullptr, 16, 16);
  FillImages(images, {kRed, kBlue});
  TElButtonGlyph holder;
  MakeFrames(holder.Glyph(), 1);
  holder.SetImageList(&images);
  holder.SetImageIndex(1);
  DrawOn(holder, ebsUp);
  EXPECT_EQ(Pixel(&button, 29 + 8, 4 + 8), kRed) << "the list is not used until asked";
  holder.SetUseImageList(true);
  Fill(&button, {0, 0, 75, 25}, kTeal);
  DrawOn(holder, ebsUp);
  EXPECT_EQ(Pixel(&button, 29 + 8, 4 + 8), kBlue);
  EXPECT_EQ(InkOf(&button, kTeal, {0, 0, 75, 25}).count, 8 * 8);

  // Disabled from the normal list: embossed; from a disabled-looking list: as it is.
  Fill(&button, {0, 0, 75, 25}, kTeal);
  DrawOn(holder, ebsDisabled);
  EXPECT_EQ(Pixel(&button, 29 + 8, 4 + 8), GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF);
  EXPECT_EQ(Pixel(&button, 29 + 12, 4 + 12), GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF);
  holder.SetImagesLookDisabled(true);
  Fill(&button, {0, 0, 75, 25}, kTeal);
  DrawOn(holder, ebsDisabled);
  EXPECT_EQ(Pixel(&button, 29 + 8, 4 + 8), kBlue);

  // No image at the index: no picture, and the caption has the button to itself.
  holder.SetImageIndex(5);
  Fill(&button, {0, 0, 75, 25}, kTeal);
  DrawOn(holder, ebsUp);
  EXPECT_EQ(InkOf(&button, kTeal, {0, 0, 75, 25}).count, 0);
}

TEST_F(ElButtonGlyphTest, AlphaListBlendsAndATallImageIsStretched) {
  TImageList images(nullptr, 16, 16);
  FillImages(images, {kRed});
  TImageList alpha(nullptr, 16, 16);
  {
    TBitmap half;
    half.SetSize(16, 16);
    Fill(&half, {0, 0, 16, 16}, RGB(128, 128, 128));
    alpha.Add(&half, nullptr);
  }
  TElButtonGlyph holder;
  holder.SetImageList(&images);
  holder.SetAlphaImageList(&alpha);
  holder.SetImageIndex(0);
  holder.SetUseImageList(true);
  DrawOn(holder, ebsUp);
  const COLORREF blended = Pixel(&button, 29 + 8, 4 + 8);
  // Half red over teal (0, 128, 128).
  EXPECT_NEAR(GetRValue(blended), 128, 2);
  EXPECT_NEAR(GetGValue(blended), 64, 2);
  EXPECT_NEAR(GetBValue(blended), 64, 2);
  EXPECT_EQ(Pixel(&button, 29 + 1, 4 + 1), kTeal);

  // In a 12-pixel-high content area the 16 x 16 image is drawn 10 x 10.
  holder.SetAlphaImageList(nullptr);
  SetButtonSize(75, 12);
  DrawOn(holder, ebsUp);
  EXPECT_TRUE(holder.Scaled());
  const TInk ink = InkOf(&button, kTeal, {0, 0, 75, 12});
  EXPECT_NEAR(ink.right - ink.left + 1, 5, 1);
  EXPECT_NEAR(ink.bottom - ink.top + 1, 5, 1);
}

TEST_F(ElButtonGlyphTest, TallPictureShrinksToTheContent) {
  SetButtonSize(75, 20);
  TElButtonGlyph holder;
  TBitmap* glyph = holder.Glyph();
  glyph->SetSize(16, 32);
  Fill(glyph, {0, 0, 16, 32}, kRed);
  Fill(glyph, {0, 31, 1, 32}, kMagenta);  // the see-through colour, used nowhere else
  holder.GlyphChanged();
  DrawOn(holder, ebsUp);
  EXPECT_TRUE(holder.Scaled());
  EXPECT_EQ(holder.ScaledSize().cx, 9);
  EXPECT_EQ(holder.ScaledSize().cy, 18);
  const TInk ink = InkOf(&button, kTeal, {0, 0, 75, 20});
  EXPECT_EQ(ink.left, 33);
  EXPECT_EQ(ink.right, 41);
  EXPECT_EQ(ink.top, 1);
  EXPECT_EQ(ink.bottom, 18);
  EXPECT_GE(CountColour(&button, kRed), 9 * 18 - 2);
}

TEST_F(ElButtonGlyphTest, CaptionAloneIsCentred) {
  TElButtonGlyph holder;
  button.Canvas()->Font()->SetColor(clBlack);
  const RECT rect = DrawOn(holder, ebsUp, u"Browse");
  const SIZE extent = button.Canvas()->TextExtent(u"Browse");
  EXPECT_EQ(rect.left, (75 - extent.cx) / 2);
  EXPECT_EQ(rect.right - rect.left, extent.cx);
  const TInk ink = InkOf(&button, kTeal, {0, 0, 75, 25});
  ASSERT_GT(ink.count, 0);
  EXPECT_GE(ink.left, rect.left);
  EXPECT_LE(ink.right, rect.right);
  EXPECT_NEAR(ink.left, 74 - ink.right, 2);
  EXPECT_NEAR(ink.top + ink.bottom, 24, 4);
}

TEST_F(ElButtonGlyphTest, PictureAndCaptionAreCentredAsAGroup) {
  for (TElButtonLayout layout : {blGlyphLeft, blGlyphRight}) {
    SCOPED_TRACE(int(layout));
    Fill(&button, {0, 0, 75, 25}, kTeal);
    TElButtonGlyph holder;
    MakeFrames(holder.Glyph(), 1);
    holder.GlyphChanged();
    button.Canvas()->Font()->SetColor(clBlack);
    DrawOn(holder, ebsUp, u"Go", layout);
    const TInk all = InkOf(&button, kTeal, {0, 0, 75, 25});
    // The picture's square starts 4 pixels into it and ends 4 before its end.
    const int gapBefore = layout == blGlyphLeft ? all.left - 4 : all.left;
    const int gapAfter = layout == blGlyphLeft ? 74 - all.right : 74 - all.right - 4;
    EXPECT_NEAR(gapBefore, gapAfter, 2);
    const int red = CountColour(&button, kRed);
    EXPECT_EQ(red, 8 * 8);
  }
}

TEST_F(ElButtonGlyphTest, DisabledCaptionIsEmbossedOnlyWhenAsked) {
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF;
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF;
  button.Canvas()->Font()->SetColor(clBlack);
  TElButtonGlyph holder;
  DrawOn(holder, ebsDisabled, u"Browse");
  EXPECT_GT(CountColour(&button, shadow), 10);
  EXPECT_GT(CountColour(&button, highlight), 10);
  EXPECT_EQ(CountColour(&button, RGB(0, 0, 0)), 0);

  Fill(&button, {0, 0, 75, 25}, kTeal);
  settings.ChangeDisabledText = false;
  DrawOn(holder, ebsDisabled, u"Browse");
  EXPECT_GT(CountColour(&button, RGB(0, 0, 0)), 10);
  EXPECT_EQ(CountColour(&button, shadow), 0);
}

TEST_F(ElButtonGlyphTest, LongCaptionEndsInAnEllipsisInsideTheContent) {
  TElButtonGlyph holder;
  button.Canvas()->Font()->SetColor(clBlack);
  settings.ArrowWidth = 15;  // the content ends at 60
  const RECT rect = DrawOn(holder, ebsUp, u"Browse for the folder to clear");
  EXPECT_EQ(rect.right, 60);
  const TInk ink = InkOf(&button, kTeal, {0, 0, 75, 25});
  ASSERT_GT(ink.count, 0);
  EXPECT_LT(ink.right, 60);
  // The last few columns hold only the dots on the base line.
  const TInk tail = InkOf(&button, kTeal, {ink.right - 5, 0, ink.right + 1, 25});
  EXPECT_LE(tail.bottom - tail.top, 2) << "rows " << tail.top << " to " << tail.bottom;
}

TEST_F(ElButtonGlyphTest, AmpersandIsAnAcceleratorOnlyWithShortcuts) {
  button.Canvas()->Font()->SetColor(clBlack);
  TElButtonGlyph holder;
  const RECT literal = DrawOn(holder, ebsUp, u"&&&Go");
  settings.ShortcutsEnabled = true;
  const RECT prefixed = DrawOn(holder, ebsUp, u"&&&Go");
  // Shown literally the caption is three ampersands wider than "&Go".
  const SIZE amp = button.Canvas()->TextExtent(u"&");
  EXPECT_EQ((literal.right - literal.left) - (prefixed.right - prefixed.left), 2 * amp.cx);
}

TEST_F(ElButtonGlyphTest, IconIsDrawnAndEmbossedWhenDisabled) {
  // A 16 x 16 icon: a red square from 4 to 12, see-through around it.
  TGdiObject<HBITMAP> colour = ScreenBitmap(16, 16);
  TGdiObject<HBITMAP> mask(CreateBitmap(16, 16, 1, 1, nullptr));
  {
    TCreatedDC dc = MemoryDC();
    TSelectedObject selected(dc.Get(), colour.Get());
    PatBlt(dc.Get(), 0, 0, 16, 16, BLACKNESS);
    TGdiObject<HBRUSH> red(CreateSolidBrush(kRed));
    const RECT square{4, 4, 12, 12};
    FillRect(dc.Get(), &square, red.Get());
  }
  {
    TCreatedDC dc = MemoryDC();
    TSelectedObject selected(dc.Get(), mask.Get());
    PatBlt(dc.Get(), 0, 0, 16, 16, WHITENESS);
    PatBlt(dc.Get(), 4, 4, 8, 8, BLACKNESS);
  }
  ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
  HICON icon = CreateIconIndirect(&info);
  ASSERT_NE(icon, nullptr);

  TElButtonGlyph holder;
  MakeFrames(holder.Glyph(), 1);  // the bitmap is not used while the icon is
  holder.SetIcon(icon);
  DestroyIcon(icon);
  holder.SetUseIcon(true);
  EXPECT_EQ(holder.CreateButtonGlyph(ebsUp), -1);
  DrawOn(holder, ebsUp);
  EXPECT_EQ(Pixel(&button, 29 + 8, 4 + 8), kRed);
  EXPECT_EQ(Pixel(&button, 29 + 1, 4 + 1), kTeal);
  EXPECT_EQ(CountColour(&button, kGreen), 0);

  Fill(&button, {0, 0, 75, 25}, kTeal);
  DrawOn(holder, ebsDisabled);
  EXPECT_EQ(Pixel(&button, 29 + 4, 4 + 4), GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF);
  EXPECT_EQ(Pixel(&button, 29 + 12, 4 + 12), GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF);
  EXPECT_EQ(CountColour(&button, kRed), 0);
}

TEST_F(ElButtonGlyphTest, MeasuresPictureCaptionAndMargins) {
  TElButtonGlyph holder;
  MakeFrames(holder.Glyph(), 1);
  holder.GlyphChanged();
  const SIZE text = button.Canvas()->TextExtent(u"Browse");
  const SIZE both = holder.CalcButtonWidth(button.Canvas(), settings, blGlyphLeft, -1, 4, u"Browse");
  EXPECT_EQ(both.cx, text.cx + 16 + 4 + 4);
  EXPECT_EQ(both.cy, std::max<int>(text.cy, 16) + 4);
  settings.ShowGlyph = false;
  const SIZE captionOnly = holder.CalcButtonWidth(button.Canvas(), settings, blGlyphTop, -1, 4, u"Browse");
  EXPECT_EQ(captionOnly.cx, text.cx + 4);
  EXPECT_EQ(captionOnly.cy, text.cy + 4);
}

TEST_F(ElButtonGlyphTest, SettersClampAndNotify) {
  TElButtonGlyph holder;
  int changes = 0;
  holder.OnChange = [&](TObject*) { ++changes; };
  holder.SetNumGlyphs(7);
  EXPECT_EQ(holder.NumGlyphs(), 4);
  holder.SetNumGlyphs(4);
  holder.SetNumGlyphs(0);
  EXPECT_EQ(holder.NumGlyphs(), 1);
  holder.SetUseIcon(false);
  holder.SetUseIcon(true);
  EXPECT_EQ(changes, 3);
}

TEST(ElGlyphCache, SamePictureSizesShareOneList) {
  ASSERT_EQ(TElGlyphCache::Instance(), nullptr);
  {
    TElButtonGlyph first, second, other;
    MakeFrames(first.Glyph(), 1);
    MakeFrames(second.Glyph(), 2);
    second.SetNumGlyphs(2);
    MakeFrames(other.Glyph(), 1, 20);
    EXPECT_EQ(first.CreateButtonGlyph(ebsUp), 0);
    EXPECT_EQ(second.CreateButtonGlyph(ebsUp), 1);
    EXPECT_EQ(second.CreateButtonGlyph(ebsDisabled), 2);
    EXPECT_EQ(second.CreateButtonGlyph(ebsUp), 1) << "prepared once";
    EXPECT_EQ(other.CreateButtonGlyph(ebsUp), 0);
    EXPECT_EQ(first.CacheList(), second.CacheList());
    EXPECT_NE(first.CacheList(), other.CacheList());
    EXPECT_EQ(TElGlyphCache::Instance()->ListCount(), 2);

    // A changed picture gives its slots back; the next image takes the first free one.
    first.GlyphChanged();
    EXPECT_EQ(first.CacheList(), nullptr);
    EXPECT_EQ(second.CacheList()->UseCount(), 2);
    EXPECT_EQ(first.CreateButtonGlyph(ebsDown), 0);

    other.SetNumGlyphs(2);  // 10 x 20 now: the 20 x 20 list is empty and goes
    EXPECT_EQ(TElGlyphCache::Instance()->ListCount(), 1);
  }
  EXPECT_EQ(TElGlyphCache::Instance(), nullptr);
}

TEST(ElGlyphCache, AnEmptyGlyphPreparesNothing) {
  TElButtonGlyph holder;
  for (int state = 0; state < kElButtonStateCount; ++state)
    EXPECT_EQ(holder.CreateButtonGlyph(static_cast<TElButtonState>(state)), -1);
  EXPECT_EQ(holder.CacheList(), nullptr);
  EXPECT_EQ(TElGlyphCache::Instance()->ListCount(), 0);
}

}  // namespace
