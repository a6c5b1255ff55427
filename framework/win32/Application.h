#pragma once
// The application object: the hidden application window, the message loop
// with idle handling, modal message boxes, hints, and the last-resort
// handling of exceptions that escape an event handler. Hand-overs from worker
// threads are served on the application window's null message and whenever
// the loop goes idle.
// Threads: the main thread. Another thread with windows of its own (a modal
// dialog) may run its loop through HandleMessage/ProcessMessages; hints,
// OnIdle and hand-overs then stay the main thread's.
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "framework/Exception.h"
#include "framework/win32/Component.h"
#include "framework/win32/HintWindow.h"
#include "framework/win32/InterceptionPoint.h"
#include "framework/win32/Messages.h"
#include "platform/WideString.h"

// The application's MessageBox is a member; the platform's is MessageBoxW/A.
#undef MessageBox

class TForm;

// An exception that ends an action silently.
RAVELIN_EXCEPTION_CLASS(EAbort, Exception);

using TExceptionEvent = std::function<void(TObject* sender, const Exception& e)>;
using TIdleEvent = std::function<void(TObject* sender, bool& done)>;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;
  std::string ClassName() const override { return "TApplication"; }

  void Initialize();
  const WideString& Title() const { return FTitle; }
  void SetTitle(const WideString& value);
  HWND Handle() const { return FHandle; }
  TForm* MainForm() const { return FMainForm; }

  // Creates a form owned by the application and stores it in reference; the
  // first form created becomes the main form, whose closing ends Run.
  template <class T>
  void CreateForm(T*& reference) {
    T* instance = new T(this);
    reference = instance;
    if (FMainForm == nullptr) FMainForm = instance;
  }

  // Shows the main form and handles messages until the application ends.
  void Run();
  // Handles every waiting message, then returns.
  void ProcessMessages();
  // Handles one message, or goes idle when none is waiting.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // A modal box owned by the application window. The task's other windows
  // are disabled meanwhile; the active window and the focus come back after.
  int MessageBox(const WideString& text, const WideString& caption, UINT flags);

  // Shows the message of e in a box titled with Title, with a full stop
  // appended when the message ends in a character after '.'.
  RAVELIN_INTERCEPTION_POINT void ShowException(const Exception& e);
  // Handles the exception being caught (call it inside a catch block):
  // OnException when set, else ShowException. Never throws.
  RAVELIN_INTERCEPTION_POINT void HandleException(TObject* sender);

  // Hints: after HintPause over a control whose ShowHint is set, its short
  // hint shows for HintHidePause; moving to another control while one shows
  // shows the next after HintShortPause. Hint holds the long hint of the
  // control under the mouse (OnHint runs when it changes).
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  int HintPause() const { return FHintPause; }
  void SetHintPause(int ms) { FHintPause = ms; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int ms) { FHintShortPause = ms; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int ms) { FHintHidePause = ms; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& value);
  // Whether hints of controls linked to an action show its shortcut too.
  bool HintShortCuts() const { return FHintShortCuts; }
  void SetHintShortCuts(bool value) { FHintShortCuts = value; }
  // Hides the hint; the next shows when the mouse moves to another control.
  void CancelHint();
  // Shows the hint of the control under the mouse at once (when it has one).
  void ActivateHint(POINT cursorPos);
  // The window hints show in; made by HintWindowClass when first needed.
  THintWindow* HintWindow() const { return FHintWindow.get(); }
  THintWindowFactory HintWindowClass;
  TNotifyEvent OnHint;

  TExceptionEvent OnException;
  TIdleEvent OnIdle;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void HintMouseMessage(const MSG& msg);
  void SetHintControl(TControl* control);
  void StartHintTimer(UINT_PTR id, int ms);
  void HintTimerExpired();
  void HideHint();
  TControl* ControlUnderMouse(POINT screen);
  bool ProcessMessage(MSG& msg);
  void Idle();
  bool IsKeyMsg(const MSG& msg);
  void WndProc(TMessage& message);

  HWND FHandle = nullptr;
  WideString FTitle;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FShowHint = true;
  bool FHintShortCuts = true;
  int FHintPause = 500;
  int FHintShortPause = 50;
  int FHintHidePause = 2500;
  std::string FHint;
  TControl* FHintControl = nullptr;  // the control under the mouse
  bool FHintShown = false;
  bool FHintCancelled = false;  // until the mouse goes to another control
  RECT FHintCursorRect{0, 0, 0, 0};
  std::unique_ptr<THintWindow> FHintWindow;
};

extern TApplication* Application;

// The text ShowException shows for a message: a full stop is appended when
// the message is not empty and its last character sorts after '.'.
std::string ExceptionDisplayText(const std::string& message);

// The display of last resort, for exceptions of no framework class; usable
// from any thread.
RAVELIN_INTERCEPTION_POINT void ShowException(const std::exception_ptr& exception);
