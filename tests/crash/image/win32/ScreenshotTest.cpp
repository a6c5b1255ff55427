#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "crash/image/ImageFiles.h"
#include "crash/image/win32/Screenshot.h"
#include "tests/support/ScratchDir.h"

namespace {

// A borderless window of one colour (or of a pattern when asked), owned by
// the test.
class TColourWindow {
 public:
  TColourWindow(RECT rect, COLORREF colour, bool pattern = false) : FBrush(CreateSolidBrush(colour)), FPattern(pattern) {
    static const wchar_t* kClass = L"RavelinScreenshotTestWindow";
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &TColourWindow::Procedure;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.lpszClassName = kClass;
      registered = RegisterClassW(&wc) != 0;
    }
    FWindow = CreateWindowExW(0, kClass, L"screenshot test", WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(FWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(FWindow);
  }
  ~TColourWindow() { DestroyWindow(FWindow); }
  TColourWindow(const TColourWindow&) = delete;
  TColourWindow& operator=(const TColourWindow&) = delete;
  HWND Handle() const { return FWindow; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<TColourWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT && self != nullptr) {
      const TPaintScope paint(window);
      const HDC dc = paint.Get();
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, self->FBrush.Get());
      if (self->FPattern) {
        for (int i = 0; i < client.right; i += 23) {
          RECT bar{i, 0, i + 7, client.bottom / 2};
          FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 10, client.bottom - 40, L"Screenshot 0123", 15);
      }
      return 0;
    }
    return DefWindowProcW(window, message, w, l);
  }

  TGdiObject<HBRUSH> FBrush;
  bool FPattern;
  HWND FWindow = nullptr;
};

void PumpFor(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

COLORREF PixelOf(const TPixelView& view, int x, int y) {
  const std::uint8_t* p = view.Row(y) + 4 * x;
  return RGB(p[2], p[1], p[0]);
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The X server's own picture of the screen, taken by ImageMagick's import
// (a Linux program, which Wine starts like any other). Wine may not let a
// Windows program wait for a Linux one, so import writes beside the file and
// a rename makes it appear only once it is whole.
TPixelImage XServerPicture(const ScratchDir& scratch) {
  using TUnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<TUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) return {};
  const std::string file = scratch.File("root.bmp");
  const std::wstring wideFile(file.begin(), file.end());
  char* unixFile = unixName(wideFile.c_str());
  if (unixFile == nullptr) return {};
  const std::string target = unixFile;
  HeapFree(GetProcessHeap(), 0, unixFile);
  std::string command = "Z:\\bin\\sh -c \"import -window root -depth 8 'BMP3:" + target + ".part' && mv '" +
                        target + ".part' '" + target + "'\"";
  std::wstring wideCommand(command.begin(), command.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &wideCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return {};
  TKernelHandle thread(process.hThread), child(process.hProcess);
  WaitForSingleObject(child.Get(), 60000);
  for (int tries = 0; tries < 600 && GetFileAttributesW(wideFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++tries)
    Sleep(100);
  const auto picture = ReadBmpFile(file);
  return picture ? *picture : TPixelImage();
}

// Another program's window: Wine's notepad, moved to cover a rectangle.
class TOtherProgramWindow {
 public:
  explicit TOtherProgramWindow(RECT rect) {
    wchar_t command[] = L"notepad.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return;
    FThread.Reset(process.hThread);
    FProcess.Reset(process.hProcess);
    FProcessId = process.dwProcessId;
    WaitForInputIdle(FProcess.Get(), 60000);
    for (int tries = 0; tries < 1200 && FWindow == nullptr; ++tries) {
      EnumWindows(&TOtherProgramWindow::Find, reinterpret_cast<LPARAM>(this));
      if (FWindow == nullptr) PumpFor(50);
    }
    if (FWindow == nullptr) return;
    SetWindowPos(FWindow, HWND_TOP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
    PumpFor(400);
  }
  ~TOtherProgramWindow() {
    if (FProcess) {
      TerminateProcess(FProcess.Get(), 0);
      WaitForSingleObject(FProcess.Get(), 10000);
    }
  }
  HWND Handle() const { return FWindow; }

 private:
  static BOOL CALLBACK Find(HWND window, LPARAM data) {
    auto* self = reinterpret_cast<TOtherProgramWindow*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == self->FProcessId && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
      self->FWindow = window;
      return FALSE;
    }
    return TRUE;
  }
  TKernelHandle FThread, FProcess;
  DWORD FProcessId = 0;
  HWND FWindow = nullptr;
};

constexpr COLORREF kBlue = RGB(30, 60, 200);
constexpr COLORREF kGreen = RGB(20, 180, 40);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class ScreenshotTest : public ::testing::Test {
 protected:
  // Keeps the cursor out of the pictures unless a test wants it.
  void SetUp() override { SetCursorPos(1020, 764); }
};

TEST_F(ScreenshotTest, WholeScreenMatchesTheXServersPicture) {
  ScratchDir scratch;
  const RECT rect{120, 90, 520, 350};
  TColourWindow window(rect, RGB(230, 200, 120), true);
  PumpFor(300);
  auto shot = Screenshot(false);
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->Width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(shot->Height(), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  const TPixelImage x = XServerPicture(scratch);
  ASSERT_EQ(x.Width(), shot->Width()) << "import -window root gave no picture";
  ASSERT_EQ(x.Height(), shot->Height());
  int different = 0;
  const TPixelView ours = shot->Pixels();
  for (int py = rect.top; py < rect.bottom; ++py)
    for (int px = rect.left; px < rect.right; ++px) different += PixelOf(ours, px, py) != PixelOf(x.View(), px, py);
  EXPECT_EQ(different, 0);
  EXPECT_EQ(PixelOf(ours, rect.left + 3, rect.top + 1), RGB(0, 0, 0));  // a bar of the pattern
  EXPECT_EQ(PixelOf(ours, rect.left + 10, rect.top + 1), RGB(230, 200, 120));
}

TEST_F(ScreenshotTest, AppOnlyIsWhiteWhereAnotherProgramCovers) {
  ScratchDir scratch;
  const RECT a{100, 100, 400, 300}, b{600, 400, 700, 500}, cover{350, 250, 750, 550};
  TColourWindow first(a, kBlue), second(b, kGreen);
  TOtherProgramWindow other(cover);
  ASSERT_NE(other.Handle(), nullptr) << "notepad did not start";
  RECT placed;
  GetWindowRect(other.Handle(), &placed);
  ASSERT_TRUE(EqualRect(&placed, &cover));
  // Another process's window may take a while to come up over ours.
  for (int tries = 0; tries < 50 && GetAncestor(WindowFromPoint(POINT{650, 450}), GA_ROOT) != other.Handle(); ++tries) {
    SetWindowPos(other.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpFor(100);
  }
  ASSERT_EQ(GetAncestor(WindowFromPoint(POINT{650, 450}), GA_ROOT), other.Handle()) << "notepad is not on top";
  PumpFor(200);

  auto shot = Screenshot(true);
  ASSERT_TRUE(shot);
  // The bounding rectangle of both windows, though the second is hidden.
  ASSERT_EQ(shot->Width(), 600);
  ASSERT_EQ(shot->Height(), 400);
  const TPixelView ours = shot->Pixels();
  const TPixelImage x = XServerPicture(scratch);
  ASSERT_FALSE(x.Empty());
  int wrong = 0, blue = 0, differentFromX = 0;
  for (int y = 0; y < 400; ++y)
    for (int px = 0; px < 600; ++px) {
      const int sx = px + 100, sy = y + 100;
      const bool shows = Inside(a, sx, sy) && !Inside(cover, sx, sy);
      const COLORREF got = PixelOf(ours, px, y);
      wrong += got != (shows ? kBlue : kWhite);
      blue += got == kBlue;
      if (shows) differentFromX += got != PixelOf(x.View(), sx, sy);
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(blue, 300 * 200 - 50 * 50);
  EXPECT_EQ(differentFromX, 0);
}

TEST_F(ScreenshotTest, NothingToCaptureGivesNoScreenshot) {
  {
    TColourWindow window({100, 100, 300, 200}, kBlue);
    PumpFor(100);
    ASSERT_TRUE(Screenshot(true));
    ShowWindow(window.Handle(), SW_MINIMIZE);
    PumpFor(200);
    ASSERT_TRUE(IsIconic(window.Handle()));
    EXPECT_FALSE(Screenshot(true));
    EXPECT_TRUE(Screenshot(false));  // the screen itself is still there
  }
  {
    TColourWindow window({200, 200, 300, 260}, kBlue);
    TOtherProgramWindow other({150, 150, 450, 400});
    ASSERT_NE(other.Handle(), nullptr);
    ASSERT_EQ(GetAncestor(WindowFromPoint(POINT{250, 230}), GA_ROOT), other.Handle());
    EXPECT_FALSE(Screenshot(true));  // entirely covered: an empty region
  }
  PumpFor(100);
  EXPECT_FALSE(Screenshot(true));  // no window at all
}

TEST_F(ScreenshotTest, CursorIsDrawnAtItsHotSpot) {
  const RECT rect{200, 200, 400, 400};
  TColourWindow window(rect, kGreen);
  // The cursor shown is the foreground window's, as for a program that crashes in use.
  SetForegroundWindow(window.Handle());
  PumpFor(100);
  const POINT at{300, 300};
  SetCursorPos(at.x, at.y);
  PumpFor(200);
  CURSORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetCursorInfo(&info));
  ASSERT_NE(info.flags & CURSOR_SHOWING, 0u);
  // The window's own arrow: Wine may report a cursor of another process here.
  ICONINFO icon{};
  ASSERT_TRUE(GetIconInfo(GetCursor(), &icon));
  TGdiObject<HBITMAP> mask(icon.hbmMask), colour(icon.hbmColor);
  BITMAP size{};
  GetObject(icon.hbmMask, sizeof size, &size);
  const int cursorHeight = icon.hbmColor ? size.bmHeight : size.bmHeight / 2;
  const RECT drawn{at.x - static_cast<int>(icon.xHotspot), at.y - static_cast<int>(icon.yHotspot),
                   at.x - static_cast<int>(icon.xHotspot) + size.bmWidth,
                   at.y - static_cast<int>(icon.yHotspot) + cursorHeight};

  auto shot = Screenshot(true);
  ASSERT_TRUE(shot);
  const TPixelView ours = shot->Pixels();
  int changedInside = 0, changedOutside = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      const bool changed = PixelOf(ours, x, y) != kGreen;
      (Inside(drawn, x + rect.left, y + rect.top) ? changedInside : changedOutside) += changed;
    }
  EXPECT_GT(changedInside, 20);
  EXPECT_EQ(changedOutside, 0);
  // The arrow's tip is its hot spot: the pixel under the mouse is drawn.
  EXPECT_NE(PixelOf(ours, at.x - rect.left, at.y - rect.top), kGreen);
}

}  // namespace
