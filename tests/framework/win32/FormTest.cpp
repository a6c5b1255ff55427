// Forms: the client size of a shown form; modal forms: owner, disabled
// windows, centring, ending by result, by Close and by the dialog keys.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "framework/win32/StdCtrls.h"
#include "tests/support/Win32GuiTestSupport.h"
#include "tests/support/WhileModal.h"

namespace {

TEST(FormSizeTest, TheClientSizeSetOnAShownFormIsTheWindowsClientArea) {
  auto* form = new TForm(Application);
  form->SetClientSize(300, 200);
  form->Show();
  PumpFor(20);
  RECT shown;
  GetWindowRect(form->Handle(), &shown);
  EXPECT_EQ(form->Width(), shown.right - shown.left);
  EXPECT_EQ(form->Height(), shown.bottom - shown.top);
  // The window is no longer of its designed size: each change starts from the
  // size it has now.
  const struct {
    int width, height;
  } sizes[] = {{250, 150}, {420, 260}, {420, 260}, {320, 240}, {180, 120}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    form->SetClientSize(size.width, size.height);
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, size.width);
    EXPECT_EQ(client.bottom, size.height);
    EXPECT_EQ(form->ClientWidth(), size.width);
    EXPECT_EQ(form->ClientHeight(), size.height);
    RECT window;
    GetWindowRect(form->Handle(), &window);
    EXPECT_EQ(form->Width(), window.right - window.left);
    EXPECT_EQ(form->Height(), window.bottom - window.top);
  }
  form->SetClientHeight(100);
  EXPECT_EQ(form->ClientWidth(), 180);
  EXPECT_EQ(form->ClientHeight(), 100);
  delete form;
}

TEST(FormSizeTest, BoundsSetBeforeTheWindowExistsAndTheSizeBeforeANewWindowAreKept) {
  auto* form = new TForm(Application);
  form->SetBounds(100, 80, 500, 400);
  // Controls placed meanwhile measure from the client size the bounds give.
  const int plannedWidth = form->ClientWidth();
  const int plannedHeight = form->ClientHeight();
  form->Show();
  PumpFor(20);
  RECT window;
  GetWindowRect(form->Handle(), &window);
  EXPECT_EQ(window.left, 100);
  EXPECT_EQ(window.top, 80);
  EXPECT_EQ(window.right - window.left, 500);
  EXPECT_EQ(window.bottom - window.top, 400);
  EXPECT_EQ(form->ClientWidth(), plannedWidth);
  EXPECT_EQ(form->ClientHeight(), plannedHeight);

  // Resized after it was made: a new window gets the client size it had last.
  form->SetBounds(120, 90, 450, 350);
  RECT client;
  GetClientRect(form->Handle(), &client);
  form->RecreateWnd();
  RECT recreated;
  GetClientRect(form->Handle(), &recreated);
  EXPECT_EQ(recreated.right, client.right);
  EXPECT_EQ(recreated.bottom, client.bottom);
  GetWindowRect(form->Handle(), &window);
  EXPECT_EQ(window.left, 120);
  EXPECT_EQ(window.top, 90);
  delete form;
}

class ModalFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = new TForm(Application);
    owner->SetBounds(100, 80, 500, 400);
    owner->Show();
    dialog = new TForm(Application);
    dialog->SetClientSize(200, 100);
    dialog->SetPopupParent(owner);
    dialog->SetPosition(poOwnerFormCenter);
    ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetBounds(10, 60, 75, 25);
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    cancel = new TButton(dialog);
    cancel->SetParent(dialog);
    cancel->SetBounds(100, 60, 75, 25);
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    PumpFor(20);
  }
  void TearDown() override {
    delete dialog;
    delete owner;
  }
  TForm* owner = nullptr;
  TForm* dialog = nullptr;
  TButton* ok = nullptr;
  TButton* cancel = nullptr;
};

TEST_F(ModalFormTest, AButtonsModalResultEndsTheShowingWithTheOwnerDisabledMeanwhile) {
  bool ownerEnabled = true;
  HWND ownerOfDialog = nullptr;
  RECT placed{};
  TWhileModal during([&] {
    ownerEnabled = IsWindowEnabled(owner->Handle()) != FALSE;
    ownerOfDialog = GetWindow(dialog->Handle(), GW_OWNER);
    GetWindowRect(dialog->Handle(), &placed);
    SendMessageW(ok->Handle(), BM_CLICK, 0, 0);
    return true;
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_EQ(ownerOfDialog, owner->Handle());
  RECT ownerRect;
  GetWindowRect(owner->Handle(), &ownerRect);
  EXPECT_NEAR((placed.left + placed.right) / 2, (ownerRect.left + ownerRect.right) / 2, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, (ownerRect.top + ownerRect.bottom) / 2, 1);
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
  EXPECT_FALSE(dialog->Modal());
}

TEST_F(ModalFormTest, EscapeAndEnterPressTheCancelAndTheDefaultButton) {
  const struct {
    WPARAM key;
    int expected;
  } cases[] = {{VK_ESCAPE, mrCancel}, {VK_RETURN, mrOk}};
  for (const auto& c : cases) {
    TWhileModal during([&] {
      PostMessageW(GetFocus(), WM_KEYDOWN, c.key, 0);
      return true;
    });
    EXPECT_EQ(dialog->ShowModal(), c.expected) << c.key;
  }
}

TEST_F(ModalFormTest, CloseEndsWithCancelOnceTheCloseQueryAllowsIt) {
  int queries = 0;
  dialog->OnCloseQuery = [&queries](TObject*, bool& canClose) { canClose = ++queries > 1; };
  int ticks = 0;
  bool shownAfterRefusal = false;
  TWhileModal during([&] {
    if (++ticks == 1) {
      dialog->Close();
      return false;
    }
    // Still showing after the refusal: the system's close this time.
    shownAfterRefusal = IsWindowVisible(dialog->Handle()) != FALSE;
    PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
    return true;
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(queries, 2);
  EXPECT_TRUE(shownAfterRefusal);
}

TEST_F(ModalFormTest, AVisibleFormCannotBeShownModally) {
  dialog->Show();
  EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
  dialog->Hide();
}

}  // namespace
