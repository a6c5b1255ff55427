#include <gtest/gtest.h>

#include <memory>

#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "framework/win32/StdCtrls.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

class TWatcher : public TComponent {
 public:
  using TComponent::TComponent;
  std::vector<TComponent*> removed;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove) removed.push_back(component);
  }
};

class TCountedComponent : public TComponent {
 public:
  TCountedComponent(TComponent* owner, int& destroyed) : TComponent(owner), FDestroyed(destroyed) {}
  ~TCountedComponent() override { ++FDestroyed; }

 private:
  int& FDestroyed;
};

TEST(ComponentTest, OwnerFreesItsComponentsAndLinkedComponentsAreToldOfTheEnd) {
  int destroyed = 0;
  TWatcher watcher(nullptr);
  auto* owner = new TCountedComponent(nullptr, destroyed);
  auto* first = new TCountedComponent(owner, destroyed);
  auto* second = new TCountedComponent(owner, destroyed);
  EXPECT_EQ(owner->ComponentCount(), 2);
  watcher.FreeNotification(second);
  delete first;  // leaves its owner's list itself
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(destroyed, 1);
  delete owner;
  EXPECT_EQ(destroyed, 3);
  ASSERT_EQ(watcher.removed.size(), 1u);
  EXPECT_EQ(watcher.removed[0], second);
}

TEST(ExceptionDisplayTextTest, AppendsAFullStopOnlyAfterACharacterSortingAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Disk full", "Disk full."}, {"Error 5", "Error 5."}, {"Stop!", "Stop!"},  {"Done.", "Done."},
      {"", ""},                    {"(a)", "(a)"},          {"a/b/", "a/b/."}, {"caf\xE9", "caf\xE9."},
  };
  for (const auto& c : cases) EXPECT_EQ(ExceptionDisplayText(c.message), c.shown) << c.message;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(300, 200);
    button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 80, 25);
    button->SetCaption(u"Press");
    form->Show();
    PumpFor(50);
  }
  void TearDown() override {
    delete form;
    Application->OnException = nullptr;
    EXPECT_EQ(boxes.Unexpected(), 0);
  }
  void Press() { SendMessageW(button->Handle(), BM_CLICK, 0, 0); }

  TDialogAnswerer boxes;
  TForm* form = nullptr;
  TButton* button = nullptr;
};

TEST_F(WindowTest, AnExceptionInAHandlerGoesToTheReplaceableHandlerAndTheWindowKeepsWorking) {
  int clicks = 0;
  std::vector<std::string> handled;
  Application->OnException = [&handled](TObject* sender, const Exception& e) {
    handled.push_back((sender != nullptr ? sender->ClassName() : std::string("null")) + ": " + e.Message());
  };
  button->OnClick = [&clicks](TObject*) {
    if (++clicks == 1) throw Exception("Boom");
  };
  Press();
  Press();
  EXPECT_EQ(clicks, 2);
  // The form's window procedure caught it: the click came as its notification.
  EXPECT_EQ(handled, std::vector<std::string>{"TForm: Boom"});
}

TEST_F(WindowTest, WithoutAHandlerTheExceptionIsShownInABoxTitledWithTheApplication) {
  Application->SetTitle(u"Ravelin");
  button->OnClick = [](TObject*) { throw Exception("Cannot open the volume"); };
  boxes.Expect(IDOK);
  Press();
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.seen[0].caption, "Ravelin");
  EXPECT_EQ(boxes.seen[0].text, "Cannot open the volume.");
  EXPECT_EQ(boxes.seen[0].buttons, std::vector<int>{IDOK});
  EXPECT_EQ(boxes.seen[0].icon, "error");
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
}

TEST_F(WindowTest, RecreatingAWindowKeepsItsStateAndItsChildren) {
  button->SetCaption(u"Kept \u00E9\u65E5");
  const HWND before = form->Handle();
  form->RecreateWnd();
  EXPECT_NE(form->Handle(), before);
  EXPECT_TRUE(button->HandleAllocated());
  EXPECT_EQ(GetParent(button->Handle()), form->Handle());
  EXPECT_EQ(button->Caption(), u"Kept \u00E9\u65E5");
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
}

TEST_F(WindowTest, ADestroyedWindowedChildLeavesNoTraceInItsParent) {
  auto* extra = new TButton(form);
  extra->SetParent(form);
  EXPECT_EQ(form->ControlCount(), 2);
  delete extra;
  EXPECT_EQ(form->ControlCount(), 1);
  // Walks the children's windows again: a stale entry would be used here.
  form->RecreateWnd();
  EXPECT_EQ(button->TabOrder(), 0);
  EXPECT_EQ(GetParent(button->Handle()), form->Handle());
}

TEST_F(WindowTest, TheDesignFontMeasuresThirteenPixelLines) {
  TCanvas canvas;
  HDC dc = GetDC(form->Handle());
  canvas.SetHandle(dc);
  canvas.Font()->SetName(u"MS Sans Serif");
  canvas.Font()->SetHeight(-11);
  EXPECT_EQ(canvas.TextExtent(u"Aj").cy, 13);
  canvas.SetHandle(nullptr);
  ReleaseDC(form->Handle(), dc);
}

TEST_F(WindowTest, TabMovesTheFocusInTabOrderSkippingControlsThatAreNoStops) {
  auto* second = new TButton(form);
  second->SetParent(form);
  auto* skipped = new TButton(form);
  skipped->SetParent(form);
  skipped->SetTabStop(false);
  second->SetTabOrder(0);
  button->SetFocus();
  const auto tab = [&] {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    Application->ProcessMessages();
  };
  tab();
  EXPECT_EQ(GetFocus(), second->Handle());
  tab();
  EXPECT_EQ(GetFocus(), button->Handle());
}

}  // namespace
