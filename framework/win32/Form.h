#pragma once
// A top-level window holding controls: caption, client size, position
// when shown (centred on the screen, the main form or the owner), the
// active control (which gets the focus back whenever the form is
// activated), Tab navigation, closing with a query, and modal showing.
// Threads: the thread that made the window; a modal form may run on any
// thread with its own windows (its message loop is that thread's).
#include <functional>

#include "framework/win32/WinControl.h"

enum TPosition : unsigned char {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};

// Modal results: the platform's dialog command ids.
constexpr int mrNone = 0;
constexpr int mrOk = IDOK;
constexpr int mrCancel = IDCANCEL;
constexpr int mrAbort = IDABORT;
constexpr int mrRetry = IDRETRY;
constexpr int mrIgnore = IDIGNORE;
constexpr int mrYes = IDYES;
constexpr int mrNo = IDNO;
enum TCloseAction : unsigned char { caNone, caHide, caFree, caMinimize };

using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;
  std::string ClassName() const override { return "TForm"; }

  int ClientWidth() override;
  int ClientHeight() override;
  void SetClientWidth(int value) { SetClientSize(value, ClientHeight()); }
  void SetClientHeight(int value) { SetClientSize(ClientWidth(), value); }
  void SetClientSize(int width, int height);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  bool AutoScroll() const { return false; }

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* control);

  // Asks OnCloseQuery; when it allows, runs OnClose and hides the form (the
  // main form ends the application instead, a form set to caFree frees itself).
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages waiting for it have been handled.
  void Release();

  // Shows the form owned by PopupParent (else the thread's active window),
  // with the thread's other windows disabled, until ModalResult is set (a
  // button's ModalResult, Close gives mrCancel) and the close query allows
  // it; then hides it and gives back the active window. Returns the result.
  int ShowModal();
  bool Modal() const { return FModal; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int value) { FModalResult = value; }
  // The window that owns this one (stays below it, centring reference).
  TForm* PopupParent() const { return FPopupParent; }
  void SetPopupParent(TForm* value);

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void ApplyBounds() override;
  void WndProc(TMessage& message) override;
  void CMVisibleChanged(TMessage& message) override;
  void FocusChanged(TWinControl* control) override;
  void Notification(TComponent* component, TOperation operation) override;
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);

 private:
  void FocusActiveControl();
  void ApplyPosition();
  bool CloseModal();

  TForm* FPopupParent = nullptr;
  int FModalResult = mrNone;
  bool FModal = false;
  int FClientWidth = 0;
  int FClientHeight = 0;
  // The next window takes the bounds rather than the client size: they were
  // set last before it exists.
  bool FSizedByBounds = false;
  TPosition FPosition = poDesigned;
  TWinControl* FActiveControl = nullptr;
};

// The form a control stands on; null when it stands on none.
TForm* GetParentForm(TControl* control);
