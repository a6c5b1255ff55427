#pragma once
// The control set's Unicode edit as a window. The text, caret, selection,
// scroll offsets and every editing operation live in the portable edit model
// (controls/edit/ElEditModel.h), which this control owns and serves as its
// host: it repaints, keeps the platform caret and the scroll bars in step,
// and lends the model the real clipboard. The window answers the platform's
// text and edit messages by translating them into model calls; measuring
// and drawing go through TElWinTextPainter with the control's font.
//
// The window is a Unicode window: every text a message carries is UTF-16,
// and a sender using the narrow forms of the messages has its text
// converted by the platform with the system code page, both ways.
//
// Multi-line edits show the custom scroll bars (ElSBController) their
// ScrollBars asks for: the vertical bar counts display rows (page: the
// visible rows), the horizontal one characters of the longest row (page:
// the characters of that row that fit). Single-line edits never show bars.
//
// Main thread only.
#include <windows.h>

#include <memory>

#include "controls/base/ElBorderStyle.h"
#include "controls/base/win32/ElXPThemedControl.h"
#include "controls/edit/ElEditHost.h"
#include "controls/edit/ElTextPainter.h"

class TElEditModel;
class TElWinTextPainter;
class TElSBController;
class TElCtrlScrollBarStyles;

enum TScrollStyle : unsigned char { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomElEdit : public TElXPThemedControl, private IElEditHost {
 public:
  explicit TCustomElEdit(TComponent* owner);
  ~TCustomElEdit() override;
  std::string ClassName() const override { return "TCustomElEdit"; }

  // Text, caret, selection, scrolling, editing and the events. Multiline
  // is set through the control, which re-creates the window for it.
  TElEditModel& Model() { return *FModel; }
  const TElEditModel& Model() const { return *FModel; }

  bool Multiline() const;
  void SetMultiline(bool value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);

  // The custom scroll bars; without the platform's notification of scroll
  // changes they switch themselves off and the platform's bars serve.
  bool UseCustomScrollBars() const { return FUseCustomScrollBars; }
  void SetUseCustomScrollBars(bool value);
  TElSBController* ScrollBarController() const { return FController; }
  TElCtrlScrollBarStyles* HorzScrollBarStyles() const;
  TElCtrlScrollBarStyles* VertScrollBarStyles() const;

  // Whether the control holds the platform caret now (while focused).
  bool CaretExists() const { return FCaretExists; }
  // The single-line height for the current font (AutoSize).
  void AdjustHeight();

 protected:
  const wchar_t* GetThemedClassName() const override { return L"EDIT"; }
  // The painter the model measures with; the platform's by default.
  virtual std::unique_ptr<TElTextPainter> CreateTextPainter();

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  WideString GetText() override;
  void SetTextBuffer(const WideString& value) override;
  void CMFontChanged(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;
  void Paint() override;

 private:
  // IElEditHost
  bool HasWindow() const override { return FHandle != nullptr; }
  void InvalidateText() override;
  void UpdateScrollInfo() override;
  void CaretMoved() override;
  bool ClipboardGetText(WideString& text) override;
  void ClipboardSetText(const WideString& text) override;

  // The platform's text and edit messages; true when the message was one.
  bool TextMessage(TMessage& message);
  bool EditMessage(TMessage& message);
  bool SelectionMessage(TMessage& message);
  bool LineMessage(TMessage& message);
  bool ScrollMessage(TMessage& message);
  void WMScroll(TMessage& message);
  void SetEditRectFrom(const RECT* rect);
  void ResetEditRect() { SetEditRectFrom(nullptr); }
  void SetBarInfo(int bar, int maximum, int page, int position);

  // The custom scroll bars around the window's life (ElEditScrollBars.cpp).
  void AttachScrollBars();
  void DetachScrollBars();
  bool ScrollBarsTakeMessage(TMessage& message);

  void CreateCaret();
  void DestroyCaret();
  void PaintRow(int row);

  std::unique_ptr<TElEditModel> FModel;
  TElWinTextPainter* FWinPainter = nullptr;  // the model's painter when it is ours
  TElSBController* FController;              // owned as a component
  TScrollStyle FScrollBars = ssNone;
  TBorderStyle FBorderStyle = bsSingle;
  bool FUseCustomScrollBars = true;
  bool FCaretExists = false;
};

// The published edit: every behaviour is TCustomElEdit's.
class TElEdit : public TCustomElEdit {
 public:
  explicit TElEdit(TComponent* owner) : TCustomElEdit(owner) {}
  std::string ClassName() const override { return "TElEdit"; }
};
