// The dialog and the assistants together: presentation 1 shows the named
// assistant instead of the dialog, and the assistant before an action comes
// above a top-most dialog. The test program carries the real settings and
// form resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "crash/flow/ExceptionHandlers.h"
#include "crash/flow/ExceptionHistory.h"
#include "crash/ui/dialog/win32/DialogAssistant.h"
#include "crash/ui/dialog/win32/ExceptionPresenter.h"
#include "tests/crash/flow/FakeFlowEnvironment.h"
#include "tests/crash/ui/assistant/win32/AssistantTestSupport.h"
#include "tests/crash/ui/dialog/win32/DialogDriver.h"

namespace {

const char* const kContactHeadline = "Contact Information";

void Cancel(HWND form) {
  PostMessageA(form, WM_COMMAND, MAKEWPARAM(TAssistantFormWindow::kCancelId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(form, TAssistantFormWindow::kCancelId)));
}

struct TPresentCase {
  const char* name;
  const char* assistant;
  bool formsShown;  // else the full dialog
};

TEST(PresentationAssistantTest, PresentationOneShowsTheNamedAssistantOrElseTheDialog) {
  const TPresentCase cases[] = {
      {"an assistant of the settings", "SendAssistant", true},
      {"no assistant of that name", "NoSuchAssistant", false},
  };
  for (const TPresentCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto exception = MakeTestException();
    exception->SetPresentation(1);
    exception->SetAssistantName(c.assistant);
    TFakeFlowEnvironment environment{TSettingsResourceBuilder().Bool("NoSettings", false).End()};
    TExceptionHandlers handlers;
    TExceptionHistory history;
    std::atomic<bool> sawForm{false}, sawDialog{false};
    std::thread driver([&] {
      HWND form = nullptr;
      HWND dialog = nullptr;
      Eventually([&] {
        form = FindShownForm(kContactHeadline);
        dialog = FindWindowExA(nullptr, nullptr, kExceptionBoxClass, nullptr);
        return form != nullptr || (dialog != nullptr && IsWindowVisible(dialog));
      });
      sawForm = form != nullptr;
      sawDialog = dialog != nullptr;
      if (form != nullptr) Cancel(form);
      if (dialog != nullptr) Press(dialog, dbContinue);
    });
    EXPECT_TRUE(PresentException(*exception, environment, handlers, history));
    driver.join();
    EXPECT_EQ(sawForm.load(), c.formsShown);
    EXPECT_EQ(sawDialog.load(), !c.formsShown);
  }
}

TEST(PresentationAssistantTest, TheActionAssistantComesAboveATopMostDialogAndCancelHandlesTheAction) {
  HWND dialog = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "dialog", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(dialog, nullptr);
  auto exception = MakeTestException();
  std::atomic<bool> topMostWhileShown{true};
  std::thread driver([&] {
    HWND form = nullptr;
    Eventually([&] { return (form = FindShownForm(kContactHeadline)) != nullptr; });
    topMostWhileShown = (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (form != nullptr) Cancel(form);
  });
  const bool goOn = ProcessDialogAssistant().Run(*exception, "SendAssistant", reinterpret_cast<std::uintptr_t>(dialog));
  driver.join();
  EXPECT_FALSE(goOn);
  EXPECT_FALSE(topMostWhileShown.load());
  EXPECT_NE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  // An assistant that does not exist lets the action go on.
  EXPECT_TRUE(ProcessDialogAssistant().Run(*exception, "NoSuchAssistant", reinterpret_cast<std::uintptr_t>(dialog)));
  DestroyWindow(dialog);
}

}  // namespace
