#include "controls/base/win32/ElThemeLibrary.h"

#include <gtest/gtest.h>

#include "controls/base/win32/ElThemesForcedOff.h"

namespace {

// A plain top-level window to open theme data for.
class ThemeLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(FWindow, nullptr);
  }
  void TearDown() override { DestroyWindow(FWindow); }
  HWND FWindow = nullptr;
};

TEST_F(ThemeLibraryTest, OpensThemeDataExactlyWhenAThemeIsActive) {
  ASSERT_TRUE(TElThemeLibrary::ThemesAvailable()) << "the platform's library did not load";
  HTHEME theme = TElThemeLibrary::OpenThemeData(FWindow, L"STATUS");
  EXPECT_EQ(theme != nullptr, TElThemeLibrary::ThemeActive());
  if (theme != nullptr) {
    EXPECT_EQ(TElThemeLibrary::CloseThemeData(theme), S_OK);
  }
}

TEST_F(ThemeLibraryTest, ForcedOffAnswersNoThemeEverywhere) {
  HTHEME opened = TElThemeLibrary::OpenThemeData(FWindow, L"STATUS");
  {
    TElThemesForcedOff off;
    EXPECT_FALSE(TElThemeLibrary::ThemesAvailable());
    EXPECT_FALSE(TElThemeLibrary::ThemeActive());
    EXPECT_EQ(TElThemeLibrary::OpenThemeData(FWindow, L"STATUS"), nullptr);
    HDC dc = GetDC(FWindow);
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(TElThemeLibrary::DrawThemeBackground(opened, dc, 0, 0, &rect, nullptr), E_NOTIMPL);
    ReleaseDC(FWindow, dc);
    // A handle opened before the switch is still released.
    if (opened != nullptr) {
      EXPECT_EQ(TElThemeLibrary::CloseThemeData(opened), S_OK);
    }
  }
  EXPECT_TRUE(TElThemeLibrary::ThemesAvailable());
}

TEST_F(ThemeLibraryTest, NullHandleIsRefusedNotPassedOn) {
  HDC dc = GetDC(FWindow);
  RECT rect{0, 0, 10, 10};
  RECT content{};
  EXPECT_EQ(TElThemeLibrary::CloseThemeData(nullptr), E_NOTIMPL);
  EXPECT_EQ(TElThemeLibrary::DrawThemeBackground(nullptr, dc, 0, 0, &rect, nullptr), E_NOTIMPL);
  EXPECT_EQ(TElThemeLibrary::GetThemeBackgroundContentRect(nullptr, dc, 1, 0, &rect, &content),
            E_NOTIMPL);
  EXPECT_FALSE(TElThemeLibrary::IsThemeBackgroundPartiallyTransparent(nullptr, 1, 0));
  ReleaseDC(FWindow, dc);
}

}  // namespace
