#pragma once
// One form of an assistant on screen: a top-most window of plain controls
// (static texts, edits, check boxes, images, push buttons) built from the
// form's items, with a message loop of its own that runs until the form is
// left by Continue, Skip or Cancel. Enter presses Continue, Escape and the
// close box Cancel. Runs on the calling thread (the reporter's handling
// thread); nothing of the window framework is used.
#include <windows.h>

#include <string>
#include <vector>

#include "crash/ui/assistant/AssistantForm.h"
#include "crash/ui/assistant/win32/AssistantFormHandlers.h"
#include "platform/win32/HandleOwners.h"

class TIMEException;

class TAssistantFormWindow : public IAssistantFormView {
 public:
  // The window class of every form window.
  static constexpr const char* kClassName = "OstrelAssistantForm";
  // Control ids: the buttons, then the items from kFirstItemId on in order.
  enum { kContinueId = IDOK, kCancelId = IDCANCEL, kSkipId = 3, kHeadlineId = 99, kFirstItemId = 100 };

  TAssistantFormWindow(TAssistantForm& form, const std::string& title, TIMEException& exception);
  ~TAssistantFormWindow() override;
  TAssistantFormWindow(const TAssistantFormWindow&) = delete;
  TAssistantFormWindow& operator=(const TAssistantFormWindow&) = delete;

  // Shows the form and returns how it was left; the items hold what the user
  // entered.
  TAssistantFormResult ShowModal(HWND owner);

  void SetImage(const std::string& item, void* bitmap) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Create(HWND owner);
  // Tab in a memo moves on to the next control, as everywhere else in the
  // form, instead of typing a tab character.
  bool TabOutOfMemo(const MSG& message);
  int CreateItem(std::size_t index, int top, int width);
  HWND CreateControl(const char* className, const std::string& text, DWORD style, int id, RECT bounds);
  void Command(int id, int code);
  // A coloured, required edit that holds Continue back shows it in its background.
  bool NeedsInput(HWND control) const;
  // A clickable image shows the hand cursor.
  bool OverClickableImage(HWND control) const;
  void ItemChanged(std::size_t index, int code);
  void Leave(TAssistantFormResult result);
  void Call(TAssistantAction action, TAssistantFormItem* item);
  // The controls from the items: texts, ticks, enabling, Continue's state.
  void ShowItems();
  // The control that takes the focus when the form is first shown.
  HWND FirstFocus() const;
  void Activated(bool active);
  HWND Control(int id) const { return GetDlgItem(FWindow, id); }

  TAssistantForm& FForm;
  std::string FTitle;
  TIMEException& FException;
  TAssistantFormHandler FHandler;
  HWND FWindow = nullptr;
  TGdiObject<HFONT> FFont, FBoldFont;
  TGdiObject<HBRUSH> FNeedsInputBrush;
  std::vector<TGdiObject<HBITMAP>> FImages;  // one slot per item
  HWND FFocused = nullptr;  // the control that had the focus when the form was last active
  bool FShowing = false;  // the controls are being set from the items: no change events
  bool FDone = false;
};
