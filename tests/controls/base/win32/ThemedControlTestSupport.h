#pragma once
// A themed control of the set for tests: it counts how often its theme
// handle is opened and closed and its window made, records the messages
// that reach the default procedure, and lets a test set the style-change
// suppression flag. Main thread of the tests.
#include <vector>

#include "controls/base/win32/ElXPThemedControl.h"
#include "framework/win32/Application.h"
#include "framework/win32/Form.h"

class TTestThemedControl : public TElXPThemedControl {
 public:
  explicit TTestThemedControl(TComponent* owner) : TElXPThemedControl(owner) {
    BeginCreate();
    SetBounds(10, 10, 100, 30);
    EndCreate();
  }
  std::string ClassName() const override { return "TTestThemedControl"; }

  void BlockStyleChanges(bool value) { FBlockStyleChanges = value; }
  bool SetStyleProperty(const std::string& name, const std::string& value) override {
    applied.push_back(name + "=" + value);
    return TElXPThemedControl::SetStyleProperty(name, value);
  }

  int opened = 0;
  int freed = 0;
  int windowsMade = 0;
  std::vector<UINT> defaulted;
  std::vector<std::string> applied;

 protected:
  const wchar_t* GetThemedClassName() const override { return L"STATUS"; }
  void CreateThemeHandle() override {
    TElXPThemedControl::CreateThemeHandle();
    if (Theme() != nullptr) ++opened;
  }
  void FreeThemeHandle() override {
    if (Theme() != nullptr) ++freed;
    TElXPThemedControl::FreeThemeHandle();
  }
  void CreateWnd() override {
    ++windowsMade;
    TElXPThemedControl::CreateWnd();
  }
  void DefaultHandler(TMessage& message) override {
    defaulted.push_back(message.Msg);
    TElXPThemedControl::DefaultHandler(message);
  }
};

// A form with one test control on it, its window made but not shown.
struct TThemedFixture {
  TThemedFixture() {
    form = new TForm(Application);
    form->SetClientSize(200, 100);
    control = new TTestThemedControl(form);
    control->SetParent(form);
    control->HandleNeeded();
  }
  ~TThemedFixture() { delete form; }
  TForm* form = nullptr;
  TTestThemedControl* control = nullptr;
};
