#pragma once
// Test controls whose handlers write what they were called with into a log.
#include <string>

#include "framework/win32/CustomControls.h"
#include "tests/support/MessageRecorder.h"

inline std::string ShiftText(TShiftState shift) {
  std::string text;
  if (shift & ssShift) text += "+shift";
  if (shift & ssCtrl) text += "+ctrl";
  if (shift & ssAlt) text += "+alt";
  if (shift & ssDouble) text += "+double";
  return text;
}

inline const char* ButtonText(TMouseButton button) {
  return button == mbLeft ? "left" : button == mbRight ? "right" : "middle";
}

// Writes every handler call as "<name> <call> <arguments>".
template <class Base>
class TRecording : public Base {
 public:
  TRecording(TComponent* owner, const std::string& name, TCallLog& log) : Base(owner), FLog(log) {
    this->SetName(name);
  }
  bool wheelHandled = false;
  LRESULT dialogCode = -1;  // -1: the window class's answer

 protected:
  void Add(const std::string& line) { FLog.Add(this->Name() + " " + line); }
  void Click() override {
    Add("Click");
    Base::Click();
  }
  void DblClick() override { Add("DblClick"); }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    Add(std::string("MouseDown ") + ButtonText(button) + ShiftText(shift) + " " + std::to_string(x) + "," +
        std::to_string(y));
  }
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    Add(std::string("MouseUp ") + ButtonText(button) + ShiftText(shift) + " " + std::to_string(x) + "," +
        std::to_string(y));
  }
  bool DoMouseWheel(TShiftState shift, int delta, POINT) override {
    Add("Wheel " + std::to_string(delta) + ShiftText(shift));
    return wheelHandled;
  }
  void CMMouseEnter(TMessage& message) override {
    Add("MouseEnter");
    Base::CMMouseEnter(message);
  }
  void CMMouseLeave(TMessage& message) override {
    Add("MouseLeave");
    Base::CMMouseLeave(message);
  }
  void TimerElapsed(UINT_PTR id) override { Add("Timer " + std::to_string(id)); }

 private:
  TCallLog& FLog;
};

class TRecordingGraphic : public TRecording<TGraphicControl> {
 public:
  using TRecording::TRecording;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

class TRecordingControl : public TRecording<TCustomControl> {
 public:
  TRecordingControl(TComponent* owner, const std::string& name, TCallLog& log)
      : TRecording(owner, name, log) {
    FTabStop = true;
  }

 protected:
  void KeyDown(WORD& key, TShiftState shift) override {
    Add("KeyDown " + std::to_string(key) + ShiftText(shift));
    TRecording::KeyDown(key, shift);
  }
  void KeyUp(WORD& key, TShiftState shift) override {
    Add("KeyUp " + std::to_string(key) + ShiftText(shift));
    TRecording::KeyUp(key, shift);
  }
  void KeyPress(char16_t& key) override {
    Add("KeyPress " + std::to_string(static_cast<int>(key)));
    TRecording::KeyPress(key);
  }
  void WMGetDlgCode(TMessage& message) override {
    if (dialogCode >= 0)
      message.Result = dialogCode;
    else
      TRecording::WMGetDlgCode(message);
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};
