#pragma once
// A shown form with one check box on it whose events and sounds go to a
// call log, and the client picture of a window for pixel checks. Main thread
// of the tests.
#include <windows.h>

#include <string>
#include <vector>

#include "controls/base/win32/ElSoundMap.h"
#include "controls/check/win32/ElCheckBox.h"
#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "framework/win32/StdCtrls.h"
#include "tests/controls/list/win32/StatusBarTestSupport.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/Win32GuiTestSupport.h"

// Records the events it is asked to play instead of playing them.
class TRecordingSoundMap : public TElSoundMap {
 public:
  TRecordingSoundMap(TComponent* owner, TCallLog& log) : TElSoundMap(owner), FLog(log) {}
  void Play(const std::string& event) override { FLog.Add("Sound " + event); }

 private:
  TCallLog& FLog;
};

struct TCheckFixture {
  TCheckFixture() {
    form = new TForm(Application);
    form->SetClientSize(200, 100);
    form->Font()->SetName(u"MS Sans Serif");
    form->Font()->SetHeight(-11);
    other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(100, 60, 80, 25);
    box = new TElCheckBox(form);
    box->SetName("Box");
    box->SetParent(form);
    box->SetBounds(10, 10, 93, 17);
    box->SetCaption(u"Scan recursive");
    box->OnClick = [this](TObject*) { log.Add("Click " + std::to_string(box->State())); };
    box->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int, int) {
      log.Add("MouseDown " + std::to_string(b));
    };
    box->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int, int) {
      log.Add("MouseUp " + std::to_string(b));
    };
    sounds = new TRecordingSoundMap(form, log);
    box->SetSoundMap(sounds);
    box->SetCheckSound("CheckSound");
    form->Show();
    PumpPending();
    log.Take();
  }
  ~TCheckFixture() {
    if (GetCapture() != nullptr) ReleaseCapture();
    delete form;
  }
  HWND Window() { return box->Handle(); }
  void Send(UINT msg, WPARAM wParam, int x, int y) { SendMessageW(Window(), msg, wParam, MAKELPARAM(x, y)); }

  TCallLog log;
  TForm* form = nullptr;
  TButton* other = nullptr;
  TElCheckBox* box = nullptr;
  TRecordingSoundMap* sounds = nullptr;
};
