#include "controls/edit/win32/ElButtonEdit.h"

#include "controls/edit/ElEditModel.h"
#include "framework/win32/Form.h"
#include "framework/win32/Messages.h"
#include "platform/CodePage.h"

namespace {

// A new embedded button is this wide until a width is assigned.
constexpr int kInitialButtonWidth = 15;

TShortCut ShortCutOf(WORD key, TShiftState shift) {
  TShortCut modifiers = 0;
  if (shift & ssShift) modifiers |= scShift;
  if (shift & ssCtrl) modifiers |= scCtrl;
  if (shift & ssAlt) modifiers |= scAlt;
  return static_cast<TShortCut>((key & 0xFF) | modifiers);
}

}  // namespace

TCustomElButtonEdit::TCustomElButtonEdit(TComponent* owner) : TCustomElEdit(owner) {
  FButton = CreateButton(true);
  FButton->OnClick = [this](TObject*) { DoButtonClick(); };
  FAltButton = CreateButton(false);
  FAltButton->OnClick = [this](TObject*) { DoAltButtonClick(); };
  FTabStop = true;
  UpdateButtonStyles();
}

TCustomElButtonEdit::~TCustomElButtonEdit() {
  SetDestroying();
  // The buttons paint on the edit and route their clicks to it: they go first.
  delete FAltButton;
  delete FButton;
}

TElEditBtn* TCustomElButtonEdit::CreateButton(bool visible) {
  auto* button = new TElEditBtn(this);
  button->SetCursor(crArrow);
  button->SetParentColor(false);
  button->SetColor(clBtnFace);
  button->SetUseXPThemes(true);
  button->SetFlat(false);
  button->SetAdjustSpaceForGlyph(false);
  button->SetWidth(kInitialButtonWidth);
  button->SetVisible(visible);
  button->SetParent(this);
  return button;
}

// ---- properties ----

void TCustomElButtonEdit::SetMultiline(bool value) {
  TCustomElEdit::SetMultiline(value);
  SetEditRect();
}

void TCustomElButtonEdit::SetUseXPThemes(bool value) {
  TCustomElEdit::SetUseXPThemes(value);
  FButton->SetUseXPThemes(value);
  FAltButton->SetUseXPThemes(value);
}

void TCustomElButtonEdit::SetFlat(bool value) {
  TCustomElEdit::SetFlat(value);
  UpdateButtonStyles();
}

void TCustomElButtonEdit::SetActiveBorderType(TElFlatBorderType value) {
  TCustomElEdit::SetActiveBorderType(value);
  UpdateButtonStyles();
}

void TCustomElButtonEdit::SetInactiveBorderType(TElFlatBorderType value) {
  TCustomElEdit::SetInactiveBorderType(value);
  UpdateButtonStyles();
}

void TCustomElButtonEdit::SetLineBorderActiveColor(TColor value) {
  TCustomElEdit::SetLineBorderActiveColor(value);
  UpdateButtonStyles();
}

void TCustomElButtonEdit::SetLineBorderInactiveColor(TColor value) {
  TCustomElEdit::SetLineBorderInactiveColor(value);
  UpdateButtonStyles();
}

void TCustomElButtonEdit::UpdateButtonStyles() {
  const bool lines =
      Flat() && ActiveBorderType() == fbtColorLineBorder && InactiveBorderType() == fbtColorLineBorder;
  for (TElEditBtn* button : {FButton, FAltButton}) {
    button->SetMoneyFlat(lines);
    button->SetMoneyFlatActiveColor(LineBorderActiveColor());
    button->SetMoneyFlatDownColor(LineBorderActiveColor());
    button->SetMoneyFlatInactiveColor(LineBorderInactiveColor());
  }
}

void TCustomElButtonEdit::SetTopMargin(int value) { Model().SetTopMargin(value); }

void TCustomElButtonEdit::SetRightMargin(int value) { Model().SetRightMargin(value); }

std::string TCustomElButtonEdit::ButtonCaption() const { return WideToNarrow(FButton->Caption()); }
void TCustomElButtonEdit::SetButtonCaption(const std::string& value) { FButton->SetCaption(NarrowToWide(value)); }
std::string TCustomElButtonEdit::ButtonHint() const { return WideToNarrow(FButton->Hint()); }
void TCustomElButtonEdit::SetButtonHint(const std::string& value) { FButton->SetHint(NarrowToWide(value)); }
std::string TCustomElButtonEdit::AltButtonCaption() const { return WideToNarrow(FAltButton->Caption()); }
void TCustomElButtonEdit::SetAltButtonCaption(const std::string& value) {
  FAltButton->SetCaption(NarrowToWide(value));
}
std::string TCustomElButtonEdit::AltButtonHint() const { return WideToNarrow(FAltButton->Hint()); }
void TCustomElButtonEdit::SetAltButtonHint(const std::string& value) { FAltButton->SetHint(NarrowToWide(value)); }

void TCustomElButtonEdit::SetButtonVisible(bool value) {
  FButton->SetVisible(value);
  SetEditRect();
}

void TCustomElButtonEdit::SetAltButtonVisible(bool value) {
  FAltButton->SetVisible(value);
  SetEditRect();
}

void TCustomElButtonEdit::SetAltBtnAlign(TLeftRight value) {
  if (value == FAltButtonPosition) return;
  FAltButtonPosition = value;
  SetEditRect();
}

void TCustomElButtonEdit::SetButtonWidth(int value) { StoreWidth(FButton, FButtonWidth, value); }

void TCustomElButtonEdit::SetAltButtonWidth(int value) { StoreWidth(FAltButton, FAltButtonWidth, value); }

void TCustomElButtonEdit::StoreWidth(TElEditBtn* button, int& stored, int value) {
  // The stored value reads back as given: -1 stays -1 (the system's width).
  stored = value;
  button->SetWidth(value == -1 ? GetSystemMetrics(SM_CXVSCROLL) : value);
  if (button->Visible()) SetEditRect();
}

// ---- layout ----

void TCustomElButtonEdit::SetEditRect() {
  if (!HandleAllocated() || Destroying() || FButton == nullptr) return;
  RECT client;
  GetClientRect(FHandle, &client);
  TElButtonEditLayoutInput in;
  in.ClientWidth = client.right;
  in.ClientHeight = client.bottom;
  in.Inset = BorderStyle() == bsSingle && !Ctl3D() ? 1 : 0;
  in.Multiline = Multiline();
  in.MainVisible = FButton->Visible();
  in.MainWidth = FButton->Width();
  in.AltVisible = FAltButton->Visible();
  in.AltWidth = FAltButton->Width();
  in.AltPosition = FAltButtonPosition;
  const TElButtonEditLayout layout = LayOutButtonEdit(in);
  const auto place = [](TElEditBtn* button, const TElBoxRect& r) {
    button->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  };
  if (in.MainVisible) place(FButton, layout.Main);
  if (in.AltVisible) place(FAltButton, layout.Alt);
  Model().SetEditRect(TElTextRect{layout.Text.Left, layout.Text.Top, layout.Text.Right, layout.Text.Bottom});
  Invalidate();
}

RECT TCustomElButtonEdit::TextArea() const {
  const TElTextRect& area = Model().EditRect();
  return RECT{area.Left, area.Top, area.Right, area.Bottom};
}

void TCustomElButtonEdit::WndProc(TMessage& message) {
  // A disabled edit passes no mouse input to its buttons, even a sent one.
  if (!Enabled() && message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST) return;
  TCustomElEdit::WndProc(message);
}

void TCustomElButtonEdit::CreateWnd() {
  TCustomElEdit::CreateWnd();
  SetEditRect();
}

void TCustomElButtonEdit::WMSize(TMessage& message) {
  TCustomElEdit::WMSize(message);
  SetEditRect();
}

// ---- clicks and keys ----

void TCustomElButtonEdit::DoButtonClick() {
  if (OnButtonClick) OnButtonClick(this);
}

void TCustomElButtonEdit::DoAltButtonClick() {
  if (OnAltButtonClick) OnAltButtonClick(this);
}

TElEditBtn* TCustomElButtonEdit::ShortcutButton(WORD key, TShiftState shift) const {
  const TShortCut pressed = ShortCutOf(key, shift);
  for (TElEditBtn* button : {FButton, FAltButton}) {
    const TShortCut shortcut = button == FButton ? FButtonShortcut : FAltButtonShortcut;
    if (shortcut != 0 && shortcut == pressed) return button->Visible() && button->Enabled() ? button : nullptr;
  }
  return nullptr;
}

void TCustomElButtonEdit::KeyDown(WORD& key, TShiftState shift) {
  if (key != 0) {
    if (TElEditBtn* button = ShortcutButton(key, shift)) {
      // The key stays: one that also types a character still delivers it.
      button->Click();
      return;
    }
  }
  TCustomElEdit::KeyDown(key, shift);
}

void TCustomElButtonEdit::WMKeyDown(TMessage& message) {
  // Escape goes to the form first, so that a cancel button reacts.
  if (message.WParam == VK_ESCAPE && (KeyboardShiftState() & (ssShift | ssCtrl | ssAlt)) == 0) {
    if (TForm* form = GetParentForm(this)) form->Perform(CM_DIALOGKEY, VK_ESCAPE, message.LParam);
  }
  TCustomElEdit::WMKeyDown(message);
}

void TCustomElButtonEdit::KeyPress(char16_t& key) {
  const bool enter = key == u'\r';
  TCustomElEdit::KeyPress(key);
  // A single line has no place for a line break.
  if (enter && !Multiline()) key = 0;
}

void TCustomElButtonEdit::WMGetDlgCode(TMessage& message) {
  TCustomElEdit::WMGetDlgCode(message);
  if (Multiline()) message.Result |= DLGC_WANTALLKEYS;
}

void TCustomElButtonEdit::CMEnabledChanged(TMessage& message) {
  TCustomElEdit::CMEnabledChanged(message);
  // The buttons paint disabled with their parent; their own Enabled stays.
  for (TElEditBtn* button : {FButton, FAltButton}) button->Perform(CM_ENABLEDCHANGED);
}
