// Dragging a control: the start at once or past the drag distance, the end
// on the release or when the mouse is taken away, the events in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "tests/framework/win32/RecordingControls.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

class DragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(300, 200);
    control = new TRecordingControl(form, "control", log);
    control->SetParent(form);
    control->SetBounds(10, 10, 120, 80);
    control->OnStartDrag = [this](TObject*) { log.Add("StartDrag"); };
    control->OnEndDrag = [this](TObject*, int x, int y) {
      log.Add("EndDrag " + std::to_string(x) + "," + std::to_string(y));
    };
    form->Show();
    PumpFor(30);
    log.Take();
  }
  void TearDown() override { delete form; }

  LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
  void Send(UINT msg, WPARAM keys, int x, int y) { SendMessageW(control->Handle(), msg, keys, At(x, y)); }
  // The real cursor on a client point of the control, where a drag begins.
  void CursorAt(int x, int y) {
    const POINT screen = control->ClientToScreen(POINT{x, y});
    SetCursorPos(screen.x, screen.y);
  }
  Lines DragLines() {
    Lines lines;
    for (const std::string& line : log.Take())
      if (line.find("Drag") != std::string::npos || line.find("MouseUp") != std::string::npos) lines.push_back(line);
    return lines;
  }

  TCallLog log;
  TForm* form = nullptr;
  TRecordingControl* control = nullptr;
};

TEST_F(DragTest, AnImmediateDragHoldsTheMouseUntilTheReleaseAndEndsBeforeTheMouseUp) {
  control->BeginDrag(true);
  EXPECT_TRUE(control->Dragging());
  EXPECT_EQ(GetCapture(), control->Handle());
  Send(WM_MOUSEMOVE, MK_LBUTTON, 60, 40);
  EXPECT_TRUE(control->Dragging());
  Send(WM_LBUTTONUP, 0, 70, 45);
  EXPECT_FALSE(control->Dragging());
  EXPECT_NE(GetCapture(), control->Handle());
  EXPECT_EQ(DragLines(), (Lines{"StartDrag", "EndDrag 70,45", "control MouseUp left 70,45"}));
  // A second release ends nothing more.
  Send(WM_LBUTTONUP, 0, 70, 45);
  EXPECT_EQ(DragLines(), (Lines{"control MouseUp left 70,45"}));
}

TEST_F(DragTest, ADeferredDragStartsOnlyPastTheDragDistance) {
  const int distance = GetSystemMetrics(SM_CXDRAG);
  CursorAt(20, 20);
  control->BeginDrag(false);
  EXPECT_FALSE(control->Dragging());
  Send(WM_MOUSEMOVE, MK_LBUTTON, 20 + distance - 1, 20);
  EXPECT_FALSE(control->Dragging()) << "still within the drag distance";
  EXPECT_EQ(DragLines(), Lines{});
  Send(WM_MOUSEMOVE, MK_LBUTTON, 20 + distance, 20);
  EXPECT_TRUE(control->Dragging());
  Send(WM_LBUTTONUP, 0, 50, 20);
  EXPECT_EQ(DragLines(), (Lines{"StartDrag", "EndDrag 50,20", "control MouseUp left 50,20"}));
}

TEST_F(DragTest, ADeferredDragReleasedInPlaceIsAClickWithoutDragEvents) {
  CursorAt(20, 20);
  control->BeginDrag(false);
  EXPECT_EQ(GetCapture(), control->Handle());
  Send(WM_LBUTTONUP, 0, 20, 20);
  EXPECT_FALSE(control->Dragging());
  EXPECT_NE(GetCapture(), control->Handle());
  EXPECT_EQ(DragLines(), (Lines{"control MouseUp left 20,20"}));
}

TEST_F(DragTest, LosingTheMouseEndsTheDrag) {
  control->BeginDrag(true);
  ASSERT_TRUE(control->Dragging());
  SetCapture(form->Handle());
  EXPECT_FALSE(control->Dragging());
  const Lines lines = DragLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "StartDrag");
  EXPECT_EQ(lines[1].rfind("EndDrag ", 0), 0u);
  ReleaseCapture();
}

}  // namespace
