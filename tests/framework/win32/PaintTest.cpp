// Double-buffered painting and the non-client hooks, checked on the pixels a
// window paints.
#include <gtest/gtest.h>

#include "framework/win32/Application.h"
#include "framework/win32/Bitmap.h"
#include "framework/win32/BufferedPaint.h"
#include "framework/win32/CustomControls.h"
#include "framework/win32/Form.h"
#include "tests/support/PrintedPicture.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(BufferedPaintTest, DrawingReachesTheTargetOnlyOnFinishAtTheTargetsCoordinates) {
  TBitmap target;
  target.SetSize(40, 30);
  HDC dc = target.Canvas()->Handle();
  PatBlt(dc, 0, 0, 40, 30, WHITENESS);
  // As a graphic control sees its parent's device context: moved to its origin.
  SetViewportOrgEx(dc, 5, 5, nullptr);
  {
    TBufferedPaint buffer(dc, RECT{0, 0, 20, 10});
    ASSERT_TRUE(buffer.Buffered());
    RECT spot{2, 2, 8, 8};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(buffer.DC(), &spot, red);
    // Outside the area: never copied.
    RECT outside{25, 2, 30, 8};
    FillRect(buffer.DC(), &outside, red);
    DeleteObject(red);
    EXPECT_EQ(GetPixel(dc, 3, 3), kWhite);
    buffer.Finish();
    EXPECT_EQ(buffer.DC(), dc);
  }
  SetViewportOrgEx(dc, 0, 0, nullptr);
  // The spot covers (7, 7) to (12, 12) on the target.
  EXPECT_EQ(GetPixel(dc, 7, 7), kRed);
  EXPECT_EQ(GetPixel(dc, 12, 12), kRed);
  // Below the spot, inside the area: not drawn on, so as it was.
  EXPECT_EQ(GetPixel(dc, 10, 14), kWhite);
  EXPECT_EQ(GetPixel(dc, 31, 7), kWhite);
  EXPECT_EQ(GetPixel(dc, 4, 4), kWhite);
}

TEST(BufferedPaintTest, WithNothingToBufferDrawingGoesStraightToTheTarget) {
  TBitmap target;
  target.SetSize(4, 4);
  HDC dc = target.Canvas()->Handle();
  TBufferedPaint empty(dc, RECT{2, 2, 2, 5});
  EXPECT_FALSE(empty.Buffered());
  EXPECT_EQ(empty.DC(), dc);
  TBufferedPaint none(nullptr, RECT{0, 0, 4, 4});
  EXPECT_EQ(none.DC(), nullptr);
  none.Finish();
}

// Keeps a frame of 4 pixels (red) and a strip of Strip pixels on the right (green).
class TFramedControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int strip = 10;
  using TWinControl::FrameChanged;

 protected:
  void AdjustNonClient(RECT& client) override {
    InflateRect(&client, -4, -4);
    client.right -= strip;
  }
  void PaintNonClient(HDC dc) override {
    RECT window;
    GetWindowRect(Handle(), &window);
    RECT all{0, 0, window.right - window.left, window.bottom - window.top};
    HBRUSH red = CreateSolidBrush(kRed);
    HBRUSH green = CreateSolidBrush(kGreen);
    FillRect(dc, &all, red);
    RECT bar{all.right - 4 - strip, 4, all.right - 4, all.bottom - 4};
    FillRect(dc, &bar, green);
    DeleteObject(red);
    DeleteObject(green);
  }
  bool NonClientHitTest(POINT screen, LRESULT& result) override {
    RECT window;
    GetWindowRect(Handle(), &window);
    if (screen.x >= window.right - 4 - strip && screen.x < window.right - 4 && screen.y >= window.top + 4 &&
        screen.y < window.bottom - 4) {
      result = HTVSCROLL;
      return true;
    }
    return false;
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlue);
    RECT inner = ClientRect();
    InflateRect(&inner, -2, -2);
    Canvas()->FillRect(inner);
  }
};

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(200, 150);
    control = new TFramedControl(form);
    control->SetParent(form);
    control->SetBounds(20, 20, 100, 60);
    control->SetColor(clWhite);
    form->Show();
    PumpFor(30);
  }
  void TearDown() override { delete form; }

  TForm* form = nullptr;
  TFramedControl* control = nullptr;
};

TEST_F(PaintTest, AControlReservesPaintsAndHitTestsItsOwnFrameParts) {
  EXPECT_EQ(control->ClientWidth(), 100 - 8 - 10);
  EXPECT_EQ(control->ClientHeight(), 60 - 8);
  RECT window;
  GetWindowRect(control->Handle(), &window);
  const auto hit = [&](int x, int y) {
    return SendMessageW(control->Handle(), WM_NCHITTEST, 0, MAKELPARAM(window.left + x, window.top + y));
  };
  EXPECT_EQ(hit(95 - 4, 30), HTVSCROLL);
  EXPECT_EQ(hit(50, 30), HTCLIENT);
  EXPECT_NE(hit(1, 1), HTVSCROLL);

  TPrintedPicture picture(control);
  ASSERT_EQ(picture.Width(), 100);
  EXPECT_EQ(picture.Pixel(1, 1), kRed);
  EXPECT_EQ(picture.Pixel(100 - 8, 30), kGreen);
  EXPECT_EQ(picture.Pixel(4 + 1, 4 + 1), kWhite);  // the client's background
  EXPECT_EQ(picture.Pixel(50, 30), kBlue);         // the client's picture

  control->strip = 20;
  control->FrameChanged();
  EXPECT_EQ(control->ClientWidth(), 100 - 8 - 20);
  EXPECT_EQ(TPrintedPicture(control).Pixel(100 - 20, 30), kGreen);
}

TEST_F(PaintTest, TheFramePaintedOnTheScreenIsTheControlsOwn) {
  RedrawWindow(control->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  TWindowDC screen(control->Handle(), true);
  EXPECT_EQ(GetPixel(screen.Get(), 1, 1), kRed);
  EXPECT_EQ(GetPixel(screen.Get(), 100 - 8, 30), kGreen);
  EXPECT_EQ(GetPixel(screen.Get(), 50, 30), kBlue);
}

TEST_F(PaintTest, ADoubleBufferedWindowErasesInItsBufferOnly) {
  control->SetDoubleBuffered(true);
  // Erasing on the screen is left out...
  TBitmap target;
  target.SetSize(10, 10);
  HDC dc = target.Canvas()->Handle();
  PatBlt(dc, 0, 0, 10, 10, BLACKNESS);
  EXPECT_EQ(SendMessageW(control->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
  // ...and done in the buffer: the painted window shows background and picture.
  TWindowDC client(control->Handle());
  PatBlt(client.Get(), 0, 0, control->ClientWidth(), control->ClientHeight(), BLACKNESS);
  RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(GetPixel(client.Get(), 1, 1), kWhite);
  EXPECT_EQ(GetPixel(client.Get(), 40, 20), kBlue);
  control->SetDoubleBuffered(false);
  PatBlt(dc, 0, 0, 10, 10, BLACKNESS);
  SendMessageW(control->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(GetPixel(dc, 1, 1), kWhite);
}

}  // namespace
