// The resource owners close what they hold exactly once and hand it on intact.
#include "platform/win32/HandleOwners.h"

#include <gtest/gtest.h>

#include "platform/ScopeGuard.h"

namespace {

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != 0;
}

TEST(HandleOwners, KernelHandleIsClosedOnScopeExitAndNotAfterRelease) {
  HANDLE raw = nullptr;
  {
    TKernelHandle owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(owner.Valid());
    raw = owner.Get();
    EXPECT_TRUE(IsOpen(raw));
  }
  EXPECT_FALSE(IsOpen(raw));

  HANDLE kept = nullptr;
  {
    TKernelHandle owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    kept = owner.Release();
    EXPECT_FALSE(owner.Valid());
  }
  EXPECT_TRUE(IsOpen(kept));
  CloseHandle(kept);
}

TEST(HandleOwners, MoveHandsOnOwnershipAndResetClosesTheOldHandle) {
  TKernelHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE raw = first.Get();
  TKernelHandle second(std::move(first));
  EXPECT_FALSE(first.Valid());
  EXPECT_EQ(second.Get(), raw);
  second.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  EXPECT_FALSE(IsOpen(raw));
  EXPECT_TRUE(second.Valid());
}

TEST(HandleOwners, FileHandleTreatsInvalidValueAsEmpty) {
  TFileHandle none;
  EXPECT_FALSE(none.Valid());
  TFileHandle failed(CreateFileW(L"Z:\\no\\such\\place\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(failed.Valid());
}

TEST(HandleOwners, SelectedObjectRestoresTheOldObject) {
  TCreatedDC dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc.Valid());
  HGDIOBJ before = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  TGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
  {
    TSelectedObject selected(dc.Get(), brush.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), before);
}

// A paint scope paints the window's invalid part, validates it, and ends the
// paint also when the painting raises.
TEST(HandleOwners, PaintScopePaintsTheInvalidPartAndEndsThePaintOnEveryPath) {
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  auto destroy = OnScopeExit([window] { DestroyWindow(window); });
  for (bool raises : {false, true}) {
    SCOPED_TRACE(raises ? "raises" : "returns");
    ValidateRect(window, nullptr);
    const RECT invalid{10, 20, 30, 40};
    InvalidateRect(window, &invalid, FALSE);
    try {
      TPaintScope paint(window);
      ASSERT_TRUE(paint);
      EXPECT_TRUE(EqualRect(&paint.Paint().rcPaint, &invalid));
      EXPECT_EQ(WindowFromDC(paint.Get()), window);
      if (raises) throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
  }
}

TEST(ScopeGuard, RunsOnExitUnlessDismissed) {
  int runs = 0;
  { auto guard = OnScopeExit([&] { ++runs; }); }
  EXPECT_EQ(runs, 1);
  {
    auto guard = OnScopeExit([&] { ++runs; });
    guard.Dismiss();
  }
  EXPECT_EQ(runs, 1);
  try {
    auto guard = OnScopeExit([&] { ++runs; });
    throw 1;
  } catch (int) {
  }
  EXPECT_EQ(runs, 2);
}

}  // namespace
