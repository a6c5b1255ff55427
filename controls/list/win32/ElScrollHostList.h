#pragma once
// A small host for the scroll bar controller: a native owner-drawn list
// ("LISTBOX" with fixed rows and strings), which sets its own scroll
// information inside the platform, as the log list box does. With
// customBars false it keeps the platform's bars (the peer the benchmark and
// the tests compare with). Main thread only.
#include <windows.h>

#include <string>

#include "controls/list/win32/ElSBController.h"
#include "framework/win32/WinControl.h"

class TElScrollHostList : public TWinControl {
 public:
  TElScrollHostList(TComponent* owner, bool customBars)
      : TWinControl(owner), FCustomBars(customBars), FController(new TElSBController(this)) {
    FTabStop = true;
  }
  ~TElScrollHostList() override { FController->SetControl(nullptr); }
  std::string ClassName() const override { return "TElScrollHostList"; }

  TElSBController* Controller() const { return FController; }
  bool CustomBarsActive() const { return FCustomBars && FController->GetActive(); }

  int Add(const std::wstring& text) {
    return static_cast<int>(SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  int Count() { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }
  void Clear() { SendMessageW(Handle(), LB_RESETCONTENT, 0, 0); }
  int TopIndex() { return static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0)); }
  void SetTopIndex(int index) { SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0); }
  void SetHorizontalExtent(int pixels) { SendMessageW(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0); }
  static constexpr int kRowHeight = 13;
  // A host that scrolls only when told the final position, not while the thumb is dragged.
  void SetIgnoreThumbTrack(bool value) { FIgnoreThumbTrack = value; }

  void WndProc(TMessage& message) override {
    if (FController->HandleCtrlMsgBefore(message)) return;
    if (FIgnoreThumbTrack && message.Msg == WM_VSCROLL && LOWORD(message.WParam) == SB_THUMBTRACK) return;
    switch (message.Msg) {
      case CN_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->itemHeight = kRowHeight;
        message.Result = TRUE;
        return;
      case CN_DRAWITEM: DrawRow(*reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)); message.Result = TRUE; return;
      default: TWinControl::WndProc(message);
    }
  }

 protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    params.NativeClass = u"LISTBOX";
    params.Style |= WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY |
                    LBS_NOINTEGRALHEIGHT;
    params.ExStyle |= WS_EX_CLIENTEDGE;
  }
  void CreateWnd() override {
    FController->SetControl(nullptr);
    TWinControl::CreateWnd();
    if (!FCustomBars) return;
    FController->SetControl(this);
    // Without notification of scroll changes the platform's bars serve.
    if (!FController->GetActive()) FController->SetControl(nullptr);
  }
  void DestroyWnd() override {
    FController->SetControl(nullptr);
    TWinControl::DestroyWnd();
  }

 private:
  void DrawRow(const DRAWITEMSTRUCT& draw) {
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (static_cast<int>(draw.itemID) < 0) return;
    wchar_t text[256] = {};
    const LRESULT length = SendMessageW(draw.hwndItem, LB_GETTEXTLEN, draw.itemID, 0);
    if (length > 0 && length < 256) SendMessageW(draw.hwndItem, LB_GETTEXT, draw.itemID, reinterpret_cast<LPARAM>(text));
    SetBkMode(draw.hDC, TRANSPARENT);
    SetTextColor(draw.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT r = draw.rcItem;
    r.left += 2;
    DrawTextW(draw.hDC, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }

  bool FCustomBars;
  bool FIgnoreThumbTrack = false;
  TElSBController* FController;  // owned as a component
};
