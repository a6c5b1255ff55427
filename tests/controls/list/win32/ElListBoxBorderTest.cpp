// The flat frame's rings, and the list box's border under Wine: the room
// each side takes or gives, the flat border following focus and hover, and
// the theme's list border when a theme is applied.
#include <windows.h>

#include <gtest/gtest.h>

#include "controls/base/win32/ElFlatFrame.h"
#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/base/win32/ElThemesForcedOff.h"
#include "controls/list/win32/ElListBox.h"
#include "framework/win32/Bitmap.h"
#include "framework/win32/Form.h"
#include "platform/win32/HandleOwners.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

// Colours no system colour has, so that each pixel tells where it came from.
constexpr TColor kFace = 0x101010, kShadow = 0x202020, kDkShadow = 0x303030, kHighlight = 0x404040,
                 kWindow = 0x505050, kBack = 0x606060, kLine = 0x0000F0, kUntouched = 0x00F000;

TElFlatFrame FrameOf(TElFlatBorderType type, bool active = false, bool enabled = true) {
  TElFlatFrame frame;
  frame.type = type;
  frame.lineColor = kLine;
  frame.active = active;
  frame.enabled = enabled;
  frame.background = kBack;
  frame.colors = TElFlatFrameColors{kFace, kShadow, kDkShadow, kHighlight, kWindow};
  return frame;
}

// A 12 by 12 picture filled with kUntouched and the frame drawn on it.
struct TFramePicture {
  explicit TFramePicture(const TElFlatFrame& frame) {
    bitmap.SetSize(12, 12);
    RECT all{0, 0, 12, 12};
    TGdiObject<HBRUSH> fill(CreateSolidBrush(kUntouched));
    FillRect(bitmap.Canvas()->Handle(), &all, fill.Get());
    inside = all;
    DrawElFlatFrame(bitmap.Canvas()->Handle(), inside, frame);
  }
  COLORREF At(int x, int y) { return GetPixel(bitmap.Canvas()->Handle(), x, y); }
  TBitmap bitmap;
  RECT inside{};
};

TEST(ElFlatFrame, EachTypeDrawsItsTwoRingsInTheGivenColours) {
  struct Case {
    const char* name;
    TElFlatFrame frame;
    TColor outerLeft, innerLeft, innerRight, outerRight;
  } cases[] = {
      {"sunken", FrameOf(fbtSunken), kShadow, kDkShadow, kFace, kHighlight},
      {"sunken outer", FrameOf(fbtSunkenOuter), kShadow, kBack, kBack, kHighlight},
      {"sunken inner", FrameOf(fbtSunkenInner), kBack, kShadow, kHighlight, kBack},
      {"raised", FrameOf(fbtRaised), kFace, kHighlight, kShadow, kDkShadow},
      {"flat", FrameOf(fbtFlat), kShadow, kBack, kBack, kShadow},
      {"etched", FrameOf(fbtEtched), kShadow, kHighlight, kShadow, kHighlight},
      {"line border", FrameOf(fbtLineBorder), kLine, kWindow, kWindow, kLine},
      {"disabled line border", FrameOf(fbtLineBorder, false, false), kShadow, kWindow, kWindow, kShadow},
      {"colour line, inactive", FrameOf(fbtColorLineBorder, false), kLine, kBack, kBack, kLine},
      {"colour line, active", FrameOf(fbtColorLineBorder, true), kLine, kLine, kLine, kLine},
      {"none", FrameOf(fbtNone), kBack, kBack, kBack, kBack},
  };
  for (const Case& c : cases) {
    TFramePicture picture(c.frame);
    EXPECT_EQ(picture.At(0, 6), ColorToRGB(c.outerLeft)) << c.name;
    EXPECT_EQ(picture.At(1, 6), ColorToRGB(c.innerLeft)) << c.name;
    EXPECT_EQ(picture.At(10, 6), ColorToRGB(c.innerRight)) << c.name;
    EXPECT_EQ(picture.At(11, 6), ColorToRGB(c.outerRight)) << c.name;
    EXPECT_EQ(picture.At(6, 6), ColorToRGB(kUntouched)) << c.name << ": the inside is left alone";
    EXPECT_EQ(picture.inside.left, 2) << c.name;
    EXPECT_EQ(picture.inside.bottom, 10) << c.name;
  }
}

TEST(ElFlatFrame, ASideLeftOutIsNeitherDrawnNorTakenFromTheInside) {
  TElFlatFrame frame = FrameOf(fbtSunken);
  frame.sides = ebsAll & ~ebsLeft;
  TFramePicture picture(frame);
  EXPECT_EQ(picture.At(0, 6), ColorToRGB(kUntouched));
  EXPECT_EQ(picture.At(1, 6), ColorToRGB(kUntouched));
  EXPECT_EQ(picture.At(6, 0), ColorToRGB(kShadow));
  EXPECT_EQ(picture.At(11, 6), ColorToRGB(kHighlight));
  EXPECT_EQ(picture.inside.left, 0);
  EXPECT_EQ(picture.inside.top, 2);
  EXPECT_EQ(picture.inside.right, 10);
}

class ElListBoxBorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(300, 200);
    list = new TElListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 120, 100);
    form->Show();
    list->HandleNeeded();
    PumpFor(30);
  }
  void TearDown() override { delete form; }

  RECT Client() {
    RECT client;
    GetClientRect(list->Handle(), &client);
    return client;
  }
  // A pixel of the list's window, border included, as shown on the screen.
  COLORREF WindowPixel(int x, int y) {
    PumpFor(30);
    TWindowDC dc(list->Handle(), true);
    return GetPixel(dc.Get(), x, y);
  }
  void GiveFocusAway() {
    SetFocus(form->Handle());
    PumpFor(30);
  }

  TForm* form = nullptr;
  TElListBox* list = nullptr;
};

// Classic look: every theme switched off for the life of the test.
class ElListBoxClassicBorderTest : public ElListBoxBorderTest {
 protected:
  TElThemesForcedOff FOff;
};

TEST_F(ElListBoxClassicBorderTest, EachSideTakesOrGivesTheEdgeMetric) {
  const int edge = GetSystemMetrics(SM_CXEDGE);
  const int edgeDown = GetSystemMetrics(SM_CYEDGE);
  for (bool flat : {false, true}) {
    list->SetFlat(flat);
    list->SetBorderSides(ebsAll);
    const RECT all = Client();
    EXPECT_EQ(all.right, 120 - 2 * edge) << "flat " << flat;
    EXPECT_EQ(all.bottom, 100 - 2 * edgeDown) << "flat " << flat;
    list->SetBorderSides(ebsAll & ~ebsLeft);
    EXPECT_EQ(Client().right, all.right + edge) << "flat " << flat;
    list->SetBorderSides(ebsLeft | ebsRight);
    EXPECT_EQ(Client().bottom, all.bottom + 2 * edgeDown) << "flat " << flat;
    list->SetBorderSides(0);
    EXPECT_EQ(Client().right, 120) << "flat " << flat;
  }
  // Without Ctl3D the thin border's metric serves.
  list->SetFlat(true);
  list->SetBorderSides(ebsAll);
  list->SetCtl3D(false);
  list->RecreateWnd();
  EXPECT_EQ(Client().right, 120 - 2 * GetSystemMetrics(SM_CXBORDER));
}

TEST_F(ElListBoxClassicBorderTest, AFlatListDropsThePlatformBorderAndNoBorderStyleTakesNoRoom) {
  list->SetFlat(true);
  EXPECT_FALSE(GetWindowLongW(list->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(GetWindowLongW(list->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_FALSE(list->ThemedBorder());
  list->SetBorderStyle(bsNone);
  EXPECT_EQ(Client().right, 120);
  EXPECT_EQ(Client().bottom, 100);
}

TEST_F(ElListBoxClassicBorderTest, TheFlatBorderTakesTheActiveLookWhileFocusedOrHovered) {
  constexpr TColor kActive = 0x0000E0, kInactive = 0xE00000;
  list->SetFlat(true);
  list->SetActiveBorderType(fbtColorLineBorder);
  list->SetInactiveBorderType(fbtColorLineBorder);
  list->SetLineBorderActiveColor(kActive);
  list->SetLineBorderInactiveColor(kInactive);
  GiveFocusAway();
  EXPECT_EQ(WindowPixel(0, 50), ColorToRGB(kInactive));
  EXPECT_EQ(WindowPixel(1, 50), ColorToRGB(list->Color())) << "inactive: one line";

  list->SetFocus();
  EXPECT_EQ(WindowPixel(0, 50), ColorToRGB(kActive)) << "focused";
  EXPECT_EQ(WindowPixel(1, 50), ColorToRGB(kActive)) << "focused: doubled line";
  GiveFocusAway();
  EXPECT_EQ(WindowPixel(0, 50), ColorToRGB(kInactive)) << "focus gone";

  list->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(list));
  EXPECT_TRUE(list->Hovered());
  EXPECT_EQ(WindowPixel(119, 50), ColorToRGB(kActive)) << "hovered";
  list->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(list));
  EXPECT_FALSE(list->Hovered());
  EXPECT_EQ(WindowPixel(119, 50), ColorToRGB(kInactive)) << "hover gone";

  // A change of colour shows at once.
  list->SetLineBorderInactiveColor(kActive);
  EXPECT_EQ(WindowPixel(0, 50), ColorToRGB(kActive)) << "colour changed";
}

TEST_F(ElListBoxClassicBorderTest, TheFlatBorderKeepsToItsSidesAndShowsTheDisabledState) {
  list->SetFlat(true);
  list->SetInactiveBorderType(fbtLineBorder);
  list->SetLineBorderInactiveColor(0x0000E0);
  list->SetBorderColorShadow(0x00A000);
  list->SetBorderSides(ebsAll & ~ebsTop);
  GiveFocusAway();
  EXPECT_EQ(WindowPixel(0, 50), ColorToRGB(0x0000E0));
  EXPECT_NE(WindowPixel(50, 0), ColorToRGB(0x0000E0)) << "no top side";
  list->SetEnabled(false);
  list->DrawFlatBorder();
  EXPECT_EQ(WindowPixel(0, 50), ColorToRGB(0x00A000)) << "disabled: the shadow colour";
}

TEST_F(ElListBoxBorderTest, WithAThemeTheListBorderOfTheThemeIsDrawnWhateverFlatSays) {
  if (!TElThemeLibrary::ThemesAvailable() || !list->IsThemeApplied()) GTEST_SKIP() << "no theme here";
  ASSERT_TRUE(list->ThemedBorder());
  list->SetFlat(true);
  list->SetBorderSides(ebsAll & ~ebsLeft);
  // The platform's client edge stays and gives the theme's border its room.
  EXPECT_TRUE(GetWindowLongW(list->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(Client().right, 120 - 2 * GetSystemMetrics(SM_CXEDGE));

  TBitmap expected;
  expected.SetSize(120, 100);
  HTHEME theme = TElThemeLibrary::OpenThemeData(list->Handle(), L"LISTVIEW");
  ASSERT_NE(theme, nullptr);
  RECT whole{0, 0, 120, 100};
  TElThemeLibrary::DrawThemeBackground(theme, expected.Canvas()->Handle(), 0, 0, &whole, nullptr);
  TElThemeLibrary::CloseThemeData(theme);
  const COLORREF themed = GetPixel(expected.Canvas()->Handle(), 0, 50);
  EXPECT_EQ(WindowPixel(0, 50), themed);
  list->SetFocus();
  EXPECT_EQ(WindowPixel(0, 50), themed) << "focus changes nothing";
}

}  // namespace
