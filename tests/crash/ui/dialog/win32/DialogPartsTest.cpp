#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "crash/ui/dialog/DialogRules.h"
#include "crash/ui/dialog/win32/DialogActions.h"
#include "crash/ui/dialog/win32/DialogPictures.h"
#include "crash/ui/dialog/win32/IdeJump.h"
#include "crash/ui/dialog/win32/ProgressBox.h"
#include "platform/win32/HandleOwners.h"

namespace {

// A development environment's message window that records each jump.
class TIdeWindow {
 public:
  TIdeWindow() {
    FThread = std::thread([this] { Run(); });
    while (!FReady) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ~TIdeWindow() {
    PostMessageA(FWindow, WM_CLOSE, 0, 0);
    FThread.join();
  }
  std::vector<std::pair<WPARAM, std::string>> jumps;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TIdeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == RegisterWindowMessageA("OstrelIdeJumpCommand")) {
      char text[256] = "";
      GlobalGetAtomNameA(static_cast<ATOM>(lParam), text, sizeof text);
      self->jumps.emplace_back(wParam, text);
      return 1;
    }
    if (message == WM_CLOSE) {
      DestroyWindow(window);
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  void Run() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ostToolsMsgHandlerWindow";
    RegisterClassA(&wc);
    FWindow = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FReady = true;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  }
  std::thread FThread;
  std::atomic<bool> FReady{false};
  HWND FWindow = nullptr;
};

}  // namespace

TEST(IdeJump, EveryEnvironmentWindowGetsTheProcessAndTheLine) {
  EXPECT_EQ(SendIdeJump(GetCurrentProcessId(), "00401000 Ravelin.exe Main 12 Foo"), 0) << "no environment runs";
  TIdeWindow ide;
  EXPECT_EQ(SendIdeJump(GetCurrentProcessId(), "00401000 Ravelin.exe Main 12 Foo"), 1);
  ASSERT_EQ(ide.jumps.size(), 1u);
  EXPECT_EQ(ide.jumps[0].first, GetCurrentProcessId());
  EXPECT_EQ(ide.jumps[0].second, "00401000 Ravelin.exe Main 12 Foo");
}

TEST(ProgressBox, TheBarFollowsTheWeightedSteps) {
  TProgressBox box("Information", "MEIPLWAIT", nullptr);
  ASSERT_NE(box.Window(), nullptr);
  char title[64] = "";
  GetWindowTextA(box.Window(), title, sizeof title);
  EXPECT_STREQ(title, "Information");
  EXPECT_NE(GetWindowLongPtrA(box.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  box.Steps().AddStep("main thread", 3);
  box.Steps().AddStep("worker", 1);
  box.Update();
  EXPECT_EQ(box.BarPosition(), 0);
  EXPECT_EQ(box.ShownText(), "main thread");
  box.Steps().SetCurrent(1);
  box.Steps().SetFraction(0.5);
  box.Update();
  EXPECT_EQ(box.BarPosition(), 875);
  EXPECT_EQ(box.ShownText(), "worker");
}

TEST(DialogPictures, EveryPictureIsInTheImageAndDrawsTransparently) {
  for (const char* name : {"MEIBIG", "MEISEND", "MEISAVE", "MEIPRINT", "MEISHOW", "MEICONTINUE", "MEIRESTART",
                           "MEICLOSE", "MEICANTCONTINUE", "MEIPLWAIT", "MEISEND32"})
    EXPECT_TRUE(HasPicture(name)) << name;
  EXPECT_FALSE(HasPicture("MEINONE"));
  TWindowDC screen(nullptr);
  TCreatedDC dc(CreateCompatibleDC(screen.Get()));
  TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), 32, 32));
  TSelectedObject selected(dc.Get(), bitmap.Get());
  RECT all{0, 0, 32, 32};
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ASSERT_TRUE(DrawPicture(dc.Get(), "MEIBIG", 0, 0));
  EXPECT_EQ(GetPixel(dc.Get(), 0, 0), RGB(255, 255, 255)) << "the corner is transparent";
  EXPECT_EQ(GetPixel(dc.Get(), 16, 16), RGB(255, 255, 255)) << "the cross in the middle";
  EXPECT_NE(GetPixel(dc.Get(), 16, 3), RGB(255, 255, 255)) << "the red disc";
  EXPECT_FALSE(DrawPicture(dc.Get(), "MEINONE", 0, 0));
}

TEST(DialogActions, TheSaveButtonGoesOnlyForAnAbsoluteReportFile) {
  const std::pair<const char*, bool> cases[] = {{"bugreport.txt", false}, {"logs\\bugreport.txt", false},
                                                {"\\\\server\\share\\b.txt", true}, {"\\b.txt", true},
                                                {"C:\\b.txt", true}, {"c:b.txt", true}, {"", false}};
  for (const auto& [name, absolute] : cases) EXPECT_EQ(TDialogActions::AbsoluteFileName(name), absolute) << name;
}
