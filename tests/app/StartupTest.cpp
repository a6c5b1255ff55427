#include "app/Startup.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/win32/Application.h"
#include "framework/win32/Component.h"
#include "framework/win32/WinControl.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

struct TStartCase {
  const char* name;
  void (*steps)();
  const char* shown;
};

TEST(StartupTest, WhateverEscapesTheStartIsShownAndTheResultIsStillZero) {
  const TStartCase cases[] = {
      {"message ending in a letter", [] { throw Exception("Window creation failed"); }, "Window creation failed."},
      {"message ending in a digit", [] { throw EOutOfResources("Error 8"); }, "Error 8."},
      {"message ending in !", [] { throw Exception("Stop!"); }, "Stop!"},
      {"message ending in .", [] { throw Exception("Done."); }, "Done."},
      {"empty message", [] { throw Exception(""); }, ""},
      {"foreign exception", [] { throw std::runtime_error("not shown"); }, ""},
      {"not an exception class", [] { throw 7; }, ""},
  };
  Application->SetTitle(u"Ravelin");
  for (const TStartCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDialogAnswerer boxes;
    boxes.Expect(IDOK);
    EXPECT_EQ(RunWithFallback(c.steps), 0);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].caption, "Ravelin");
    EXPECT_EQ(boxes.seen[0].text, c.shown);
    EXPECT_EQ(boxes.seen[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(boxes.seen[0].icon, "error");
  }
}

TEST(StartupTest, AStartThatSucceedsShowsNothing) {
  TDialogAnswerer boxes;
  EXPECT_EQ(RunWithFallback([] {}), 0);
  EXPECT_TRUE(boxes.seen.empty());
}

// Stands for a form: records when it is freed.
class TFreedProbe : public TComponent {
 public:
  explicit TFreedProbe(TComponent* owner) : TComponent(owner) {}
  ~TFreedProbe() override { ++freed; }
  static int freed;
};
int TFreedProbe::freed = 0;

TEST(StartupTest, WhatTheStepsLeftWithTheApplicationIsFreedBeforeItReturns) {
  const TStartCase cases[] = {
      {"a start that succeeds", [] { new TFreedProbe(Application); }, nullptr},
      {"a start that fails", [] {
         new TFreedProbe(Application);
         throw Exception("late");
       }, "late."},
  };
  for (const TStartCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDialogAnswerer boxes;
    if (c.shown != nullptr) boxes.Expect(IDOK);
    TFreedProbe::freed = 0;
    EXPECT_EQ(RunWithFallback(c.steps), 0);
    EXPECT_EQ(TFreedProbe::freed, 1);
    EXPECT_EQ(Application->ComponentCount(), 0);
  }
}

}  // namespace
