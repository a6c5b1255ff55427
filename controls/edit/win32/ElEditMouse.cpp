// The edit's mouse: a press places the caret (and takes the focus), a drag
// selects and scrolls past the edges one step per move, a double-click
// selects a word, and the wheel scrolls a multi-line edit.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElEdit.h"

void TCustomElEdit::CaretToPoint(int x, int y) {
  FModel->SetCaretXY(FModel->CaretFromPos(TElPixelPoint{x, y}));
}

void TCustomElEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TElEditModel& model = *FModel;
  FFocusTakingPress = false;
  if (Enabled() && CanFocus() && !Focused()) {
    CaretToPoint(x, y);
    model.SetAnchor(model.GetCaretXY());
    if (model.AutoSelect()) model.SelectAll();
    FFocusTakingPress = true;
  }
  if ((shift & ssDouble) != 0) {
    CaretToPoint(x, y);
    const TElEditPoint at = model.GetCaretXY();
    const TElEditPoint from = model.GetPrevWord(at);
    model.SetCaretXY(model.GetNextWord(at));
    model.SetAnchor(from);
    model.SetSelection(model.CaretX(), model.CaretY());
    InvalidateText();
  } else if (button == mbLeft) {
    CaretToPoint(x, y);
    if (!FFocusTakingPress) {
      if ((shift & ssShift) != 0) {
        model.SetSelection(model.CaretX(), model.CaretY());
      } else {
        model.UnSelect();
        model.SetAnchor(model.GetCaretXY());
      }
    }
    model.TriggerSelectionChangeEvent();
    InvalidateText();
    model.SetMouseSelecting(true);
  }
  if (!Focused() && CanFocus()) SetFocus();
  SetMouseCapture(true);
  TElXPThemedControl::MouseDown(button, shift, x, y);
}

void TCustomElEdit::MouseMove(TShiftState shift, int x, int y) {
  TElEditModel& model = *FModel;
  if (model.MouseSelecting() && (shift & ssLeft) != 0) {
    // Past an edge the caret lands on the first character out of view, and
    // keeping it visible scrolls the text one step.
    CaretToPoint(x, y);
    model.SetSelection(model.CaretX(), model.CaretY());
    model.TriggerSelectionChangeEvent();
    InvalidateText();
  }
  TElXPThemedControl::MouseMove(shift, x, y);
}

void TCustomElEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  SetMouseCapture(false);
  FModel->SetMouseSelecting(false);
  TElXPThemedControl::MouseUp(button, shift, x, y);
}

bool TCustomElEdit::DoMouseWheel(TShiftState shift, int delta, POINT mousePos) {
  TElEditModel& model = *FModel;
  if (!model.Multiline()) return TElXPThemedControl::DoMouseWheel(shift, delta, mousePos);
  UINT lines = 3;
  if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
  if (lines == 0) lines = 1;
  int steps;
  if (lines >= WHEEL_DELTA) {
    // A page per notch (the page-scroll setting, or more lines than a notch has units).
    steps = delta / WHEEL_DELTA * std::max(1, model.VisibleRows());
  } else {
    steps = delta / (WHEEL_DELTA / static_cast<int>(lines));
  }
  const int limit = std::max(0, model.GetLinesCount() - model.VisibleRows());
  model.SetTopLine(std::clamp(model.TopLine() - steps, 0, limit));
  UpdateScrollInfo();
  InvalidateText();
  return true;
}
