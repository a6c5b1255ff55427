#pragma once
// The control set's Unicode edit with up to two graphic buttons inside its
// client area: the main button at the right edge and an alternate one left
// of it or at the left edge. The text area shrinks to what the visible
// buttons leave. A button's click, or its shortcut pressed while the edit
// has the focus, raises the edit's own OnButtonClick / OnAltButtonClick with
// the edit as sender.
//
// The Button... and AltButton... properties forward to the two buttons;
// widths and shortcuts are kept by the edit (a stored width of -1 means the
// system's scroll-bar width). Captions and hints are narrow texts in the
// system code page, as the form designer stores them.
//
// Main thread only.
#include <windows.h>

#include <string>

#include "controls/edit/win32/ElButtonEditLayout.h"
#include "controls/edit/win32/ElEdit.h"
#include "controls/edit/win32/ElGraphicButton.h"
#include "framework/win32/ActnList.h"

// The button embedded in a button edit; no behaviour of its own.
class TElEditBtn : public TCustomElGraphicButton {
 public:
  explicit TElEditBtn(TComponent* owner) : TCustomElGraphicButton(owner) {}
  std::string ClassName() const override { return "TElEditBtn"; }
};

class TCustomElButtonEdit : public TCustomElEdit {
 public:
  explicit TCustomElButtonEdit(TComponent* owner);
  ~TCustomElButtonEdit() override;
  std::string ClassName() const override { return "TCustomElButtonEdit"; }

  TElEditBtn* Button() const { return FButton; }
  // The client rectangle the text is laid out in: what the buttons leave.
  RECT TextArea() const;
  TElEditBtn* AltButton() const { return FAltButton; }

  // Re-lays out the buttons too: the multi-line main button is a square.
  void SetMultiline(bool value);
  void SetUseXPThemes(bool value) override;
  // The edit's look, passed on to the buttons: a flat edit with line
  // borders in both states gives them the flat look in the line colours.
  void SetFlat(bool value);
  void SetActiveBorderType(TElFlatBorderType value);
  void SetInactiveBorderType(TElFlatBorderType value);
  void SetLineBorderActiveColor(TColor value);
  void SetLineBorderInactiveColor(TColor value);
  // The text margins inside the text area, for forms that set them.
  void SetTopMargin(int value);
  void SetRightMargin(int value);

  // ---- the main button ----
  std::string ButtonCaption() const;
  void SetButtonCaption(const std::string& value);
  std::string ButtonHint() const;
  void SetButtonHint(const std::string& value);
  TColor ButtonColor() const { return FButton->Color(); }
  void SetButtonColor(TColor value) { FButton->SetColor(value); }
  bool ButtonDown() const { return FButton->Down(); }
  void SetButtonDown(bool value) { FButton->SetDown(value); }
  bool ButtonIsSwitch() const { return FButton->IsSwitch(); }
  void SetButtonIsSwitch(bool value) { FButton->SetIsSwitch(value); }
  bool ButtonEnabled() const { return FButton->Enabled(); }
  void SetButtonEnabled(bool value) { FButton->SetEnabled(value); }
  bool ButtonVisible() const { return FButton->Visible(); }
  void SetButtonVisible(bool value);
  bool ButtonFlat() const { return FButton->Flat(); }
  void SetButtonFlat(bool value) { FButton->SetFlat(value); }
  bool ButtonThinFrame() const { return FButton->ThinFrame(); }
  void SetButtonThinFrame(bool value) { FButton->SetThinFrame(value); }
  bool ButtonOldStyled() const { return FButton->OldStyled(); }
  void SetButtonOldStyled(bool value) { FButton->SetOldStyled(value); }
  bool ButtonShowBorder() const { return FButton->ShowBorder(); }
  void SetButtonShowBorder(bool value) { FButton->SetShowBorder(value); }
  bool ButtonTransparent() const { return FButton->Transparent(); }
  void SetButtonTransparent(bool value) { FButton->SetTransparent(value); }
  TBitmap* ButtonGlyph() const { return FButton->Glyph(); }
  // The one operation descendants may widen (a glyph from elsewhere).
  virtual void SetButtonGlyph(TBitmap* value) { FButton->SetGlyph(value); }
  int ButtonNumGlyphs() const { return FButton->NumGlyphs(); }
  void SetButtonNumGlyphs(int value) { FButton->SetNumGlyphs(value); }
  HICON ButtonIcon() const { return FButton->Icon(); }
  void SetButtonIcon(HICON value) { FButton->SetIcon(value); }
  bool ButtonUseIcon() const { return FButton->UseIcon(); }
  void SetButtonUseIcon(bool value) { FButton->SetUseIcon(value); }
  TPopupMenu* ButtonPullDownMenu() const { return FButton->PullDownMenu(); }
  void SetButtonPullDownMenu(TPopupMenu* value) { FButton->SetPullDownMenu(value); }
  TPopupPlace ButtonPopupPlace() const { return FButton->PopupPlace(); }
  void SetButtonPopupPlace(TPopupPlace value) { FButton->SetPopupPlace(value); }
  const std::string& ButtonClickSound() const { return FButton->ClickSound(); }
  void SetButtonClickSound(const std::string& value) { FButton->SetClickSound(value); }
  const std::string& ButtonDownSound() const { return FButton->DownSound(); }
  void SetButtonDownSound(const std::string& value) { FButton->SetDownSound(value); }
  const std::string& ButtonUpSound() const { return FButton->UpSound(); }
  void SetButtonUpSound(const std::string& value) { FButton->SetUpSound(value); }
  TElSoundMap* ButtonSoundMap() const { return FButton->SoundMap(); }
  void SetButtonSoundMap(TElSoundMap* value) { FButton->SetSoundMap(value); }
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int value);
  TShortCut ButtonShortcut() const { return FButtonShortcut; }
  void SetButtonShortcut(TShortCut value) { FButtonShortcut = value; }

  // ---- the alternate button ----
  std::string AltButtonCaption() const;
  void SetAltButtonCaption(const std::string& value);
  std::string AltButtonHint() const;
  void SetAltButtonHint(const std::string& value);
  TColor AltButtonColor() const { return FAltButton->Color(); }
  void SetAltButtonColor(TColor value) { FAltButton->SetColor(value); }
  bool AltButtonDown() const { return FAltButton->Down(); }
  void SetAltButtonDown(bool value) { FAltButton->SetDown(value); }
  bool AltButtonIsSwitch() const { return FAltButton->IsSwitch(); }
  void SetAltButtonIsSwitch(bool value) { FAltButton->SetIsSwitch(value); }
  bool AltButtonEnabled() const { return FAltButton->Enabled(); }
  void SetAltButtonEnabled(bool value) { FAltButton->SetEnabled(value); }
  bool AltButtonVisible() const { return FAltButton->Visible(); }
  void SetAltButtonVisible(bool value);
  bool AltButtonFlat() const { return FAltButton->Flat(); }
  void SetAltButtonFlat(bool value) { FAltButton->SetFlat(value); }
  bool AltButtonThinFrame() const { return FAltButton->ThinFrame(); }
  void SetAltButtonThinFrame(bool value) { FAltButton->SetThinFrame(value); }
  bool AltButtonOldStyled() const { return FAltButton->OldStyled(); }
  void SetAltButtonOldStyled(bool value) { FAltButton->SetOldStyled(value); }
  bool AltButtonShowBorder() const { return FAltButton->ShowBorder(); }
  void SetAltButtonShowBorder(bool value) { FAltButton->SetShowBorder(value); }
  bool AltButtonTransparent() const { return FAltButton->Transparent(); }
  void SetAltButtonTransparent(bool value) { FAltButton->SetTransparent(value); }
  TBitmap* AltButtonGlyph() const { return FAltButton->Glyph(); }
  void SetAltButtonGlyph(TBitmap* value) { FAltButton->SetGlyph(value); }
  int AltButtonNumGlyphs() const { return FAltButton->NumGlyphs(); }
  void SetAltButtonNumGlyphs(int value) { FAltButton->SetNumGlyphs(value); }
  HICON AltButtonIcon() const { return FAltButton->Icon(); }
  void SetAltButtonIcon(HICON value) { FAltButton->SetIcon(value); }
  bool AltButtonUseIcon() const { return FAltButton->UseIcon(); }
  void SetAltButtonUseIcon(bool value) { FAltButton->SetUseIcon(value); }
  TPopupMenu* AltButtonPullDownMenu() const { return FAltButton->PullDownMenu(); }
  void SetAltButtonPullDownMenu(TPopupMenu* value) { FAltButton->SetPullDownMenu(value); }
  TPopupPlace AltButtonPopupPlace() const { return FAltButton->PopupPlace(); }
  void SetAltButtonPopupPlace(TPopupPlace value) { FAltButton->SetPopupPlace(value); }
  const std::string& AltButtonClickSound() const { return FAltButton->ClickSound(); }
  void SetAltButtonClickSound(const std::string& value) { FAltButton->SetClickSound(value); }
  const std::string& AltButtonDownSound() const { return FAltButton->DownSound(); }
  void SetAltButtonDownSound(const std::string& value) { FAltButton->SetDownSound(value); }
  const std::string& AltButtonUpSound() const { return FAltButton->UpSound(); }
  void SetAltButtonUpSound(const std::string& value) { FAltButton->SetUpSound(value); }
  TElSoundMap* AltButtonSoundMap() const { return FAltButton->SoundMap(); }
  void SetAltButtonSoundMap(TElSoundMap* value) { FAltButton->SetSoundMap(value); }
  int AltButtonWidth() const { return FAltButtonWidth; }
  void SetAltButtonWidth(int value);
  TShortCut AltButtonShortcut() const { return FAltButtonShortcut; }
  void SetAltButtonShortcut(TShortCut value) { FAltButtonShortcut = value; }
  TLeftRight AltButtonPosition() const { return FAltButtonPosition; }
  void SetAltBtnAlign(TLeftRight value);

  TNotifyEvent OnButtonClick;
  TNotifyEvent OnAltButtonClick;

 protected:
  virtual void DoButtonClick();
  virtual void DoAltButtonClick();
  // Places the buttons and hands the edit the text area they leave.
  virtual void SetEditRect();

  void CreateWnd() override;
  void WndProc(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMKeyDown(TMessage& message) override;
  void WMGetDlgCode(TMessage& message) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void CMEnabledChanged(TMessage& message) override;

 private:
  TElEditBtn* CreateButton(bool visible);
  void UpdateButtonStyles();
  void StoreWidth(TElEditBtn* button, int& stored, int value);
  // The button whose shortcut the key is, when it can be clicked.
  TElEditBtn* ShortcutButton(WORD key, TShiftState shift) const;

  TElEditBtn* FButton = nullptr;     // owned as a component
  TElEditBtn* FAltButton = nullptr;  // owned as a component
  int FButtonWidth = -1;
  int FAltButtonWidth = -1;
  TShortCut FButtonShortcut = 0;
  TShortCut FAltButtonShortcut = 0;
  TLeftRight FAltButtonPosition = taRightJustify;
};

// The published button edit: every behaviour is TCustomElButtonEdit's.
class TElButtonEdit : public TCustomElButtonEdit {
 public:
  explicit TElButtonEdit(TComponent* owner) : TCustomElButtonEdit(owner) {}
  std::string ClassName() const override { return "TElButtonEdit"; }
};
