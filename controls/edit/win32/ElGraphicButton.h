#pragma once
// The control set's push button without a window of its own: it paints on
// its parent, shows a caption and a glyph laid out by its glyph holder, can
// look flat until the mouse is over it, act as a switch or as one of a group
// of mutually exclusive buttons, and carry a drop-down arrow part with a
// pull-down menu. It raises its own clicks (on release inside, or on press
// for the arrow part). Main thread only.
#include <windows.h>
#include <uxtheme.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/base/ElAlignment.h"
#include "controls/base/win32/ElHTMLRender.h"
#include "controls/edit/win32/ElButtonGlyph.h"
#include "controls/edit/ElGraphicButtonGeometry.h"
#include "framework/win32/CustomControls.h"
#include "framework/win32/HintWindow.h"
#include "framework/win32/ImageList.h"
#include "framework/win32/Menus.h"

class TElSoundMap;

class TCustomElGraphicButton : public TGraphicControl {
 public:
  explicit TCustomElGraphicButton(TComponent* owner);
  ~TCustomElGraphicButton() override;
  std::string ClassName() const override { return "TCustomElGraphicButton"; }

  // The framework's click entry (actions, dialog keys): a click of the body.
  void Click() override { AClick(false); }
  // A press from code: shows the pressed look for 25 ms, then clicks.
  virtual void ButtonClick();

  TElButtonState State() const { return FState; }
  TElButtonGlyph* GlyphHolder() { return FGlyph.get(); }

  const WideString& Caption() const { return FCaption; }
  void SetCaption(const WideString& value);
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& value);

  // An HTML caption with links; the renderer exists only while this is set.
  bool IsHTML() const { return FIsHTML; }
  void SetIsHTML(bool value);
  TColor LinkColor() const { return FLinkColor; }
  virtual void SetLinkColor(TColor value);
  TFontStyles LinkStyle() const { return FLinkStyle; }
  virtual void SetLinkStyle(TFontStyles value);
  std::function<void(TObject* sender, const WideString& href)> OnLinkClick;
  TElHTMLImageNeededEvent OnImageNeeded;
  // The cursor the user chose; a link under the mouse shows the hand instead.
  virtual void SetCursor(TCursor value);
  TCursor Cursor() const { return FStoredCursor; }

  TElButtonLayout Layout() const { return FLayout; }
  virtual void SetLayout(TElButtonLayout value);
  int Margin() const { return FMargin; }
  virtual void SetMargin(int value);
  int Spacing() const { return FSpacing; }
  virtual void SetSpacing(int value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TBitmap* Glyph() { return FGlyph->Glyph(); }
  void SetGlyph(TBitmap* value) { FGlyph->SetGlyph(value); }
  int NumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(int value) { FGlyph->SetNumGlyphs(value); }
  HICON Icon() const { return FGlyph->Icon(); }
  void SetIcon(HICON value) { FGlyph->SetIcon(value); }
  bool UseIcon() const { return FGlyph->UseIcon(); }
  virtual void SetUseIcon(bool value) { FGlyph->SetUseIcon(value); }
  // Image-list glyphs: the normal images and, when given, their own images
  // while hot, pressed and disabled, each with an optional opacity list.
  // None is owned.
  TImageList* Images() const { return FImages[kNormalImages]; }
  void SetImages(TImageList* value) { SetImageList(kNormalImages, value); }
  TImageList* HotImages() const { return FImages[kHotImages]; }
  void SetHotImages(TImageList* value) { SetImageList(kHotImages, value); }
  TImageList* DownImages() const { return FImages[kDownImages]; }
  void SetDownImages(TImageList* value) { SetImageList(kDownImages, value); }
  TImageList* DisabledImages() const { return FImages[kDisabledImages]; }
  void SetDisabledImages(TImageList* value) { SetImageList(kDisabledImages, value); }
  TImageList* AlphaForImages() const { return FAlphaImages[kNormalImages]; }
  void SetAlphaForImages(TImageList* value) { SetAlphaImageList(kNormalImages, value); }
  TImageList* AlphaForHotImages() const { return FAlphaImages[kHotImages]; }
  void SetAlphaForHotImages(TImageList* value) { SetAlphaImageList(kHotImages, value); }
  TImageList* AlphaForDownImages() const { return FAlphaImages[kDownImages]; }
  void SetAlphaForDownImages(TImageList* value) { SetAlphaImageList(kDownImages, value); }
  TImageList* AlphaForDisabledImages() const { return FAlphaImages[kDisabledImages]; }
  void SetAlphaForDisabledImages(TImageList* value) { SetAlphaImageList(kDisabledImages, value); }
  int ImageIndex() const { return FGlyph->ImageIndex(); }
  virtual void SetImageIndex(int value) { FGlyph->SetImageIndex(value); }
  bool UseImageList() const { return FGlyph->UseImageList(); }
  virtual void SetUseImageList(bool value) { FGlyph->SetUseImageList(value); }

  bool ShowGlyph() const { return FShowGlyph; }
  virtual void SetShowGlyph(bool value);
  bool ShowText() const { return FShowText; }
  virtual void SetShowText(bool value);

  bool Flat() const { return FFlat; }
  virtual void SetFlat(bool value);
  bool ThinFrame() const { return FThinFrame; }
  void SetThinFrame(bool value);
  bool OldStyled() const { return FOldStyled; }
  void SetOldStyled(bool value);
  bool ShowBorder() const { return FShowBorder; }
  void SetShowBorder(bool value);
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  TBitmap* Background() { return FBackground.get(); }
  void SetBackground(TBitmap* value);
  TBitmap* DownBackground() { return FDownBackground.get(); }
  void SetDownBackground(TBitmap* value);
  bool BackgroundDrawBorder() const { return FBackgroundDrawBorder; }
  void SetBackgroundDrawBorder(bool value);
  bool ShadowFollowsColor() const { return FShadowFollowsColor; }
  void SetShadowFollowsColor(bool value);
  bool ShadowsUseCustom() const { return FShadowsUseCustom; }
  void SetShadowsUseCustom(bool value);
  TColor ShadowBtnHighlight() const { return FShadowBtnHighlight; }
  void SetShadowBtnHighlight(TColor value);
  TColor ShadowBtnShadow() const { return FShadowBtnShadow; }
  void SetShadowBtnShadow(TColor value);
  TColor ShadowBtnDkShadow() const { return FShadowBtnDkShadow; }
  void SetShadowBtnDkShadow(TColor value);
  TElTextDrawType TextDrawType() const { return FTextDrawType; }
  void SetTextDrawType(TElTextDrawType value);
  bool ChangeDisabledText() const { return FChangeDisabledText; }
  void SetChangeDisabledText(bool value);
  bool AdjustSpaceForGlyph() const { return FAdjustSpaceForGlyph; }
  void SetAdjustSpaceForGlyph(bool value);

  bool Down() const { return FDown; }
  void SetDown(bool value);
  virtual bool GetChecked() { return FDown; }
  virtual void SetChecked(bool value) { SetDown(value); }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value) { FAllowAllUp = value; }
  bool IsSwitch() const { return FIsSwitch; }
  void SetIsSwitch(bool value);

  bool UseArrow() const { return FUseArrow; }
  virtual void SetUseArrow(bool value);
  TPopupMenu* PullDownMenu() const { return FPullDownMenu; }
  void SetPullDownMenu(TPopupMenu* value);
  TPopupPlace PopupPlace() const { return FPopupPlace; }
  void SetPopupPlace(TPopupPlace value) { FPopupPlace = value; }
  bool DisableAutoPopup() const { return FDisableAutoPopup; }
  void SetDisableAutoPopup(bool value) { FDisableAutoPopup = value; }
  TNotifyEvent OnArrowClick;

  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int value) { FModalResult = value; }
  bool ShortcutsEnabled() const { return FShortcutsEnabled; }
  void SetShortcutsEnabled(bool value);

  bool MoneyFlat() const { return FMoneyFlat; }
  void SetMoneyFlat(bool value);
  TColor MoneyFlatInactiveColor() const { return FMoneyFlatInactiveColor; }
  void SetMoneyFlatInactiveColor(TColor value);
  TColor MoneyFlatActiveColor() const { return FMoneyFlatActiveColor; }
  void SetMoneyFlatActiveColor(TColor value);
  TColor MoneyFlatDownColor() const { return FMoneyFlatDownColor; }
  void SetMoneyFlatDownColor(TColor value);

  TElSoundMap* SoundMap() const { return FSoundMap; }
  void SetSoundMap(TElSoundMap* value);
  const std::string& DownSound() const { return FDownSound; }
  void SetDownSound(const std::string& value) { FDownSound = value; }
  const std::string& UpSound() const { return FUpSound; }
  void SetUpSound(const std::string& value) { FUpSound = value; }
  const std::string& ClickSound() const { return FClickSound; }
  void SetClickSound(const std::string& value) { FClickSound = value; }
  const std::string& ArrowClickSound() const { return FArrowClickSound; }
  void SetArrowClickSound(const std::string& value) { FArrowClickSound = value; }

  bool UseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool value);
  bool IsThemeApplied();

  // Whether the mouse is over the body and over the arrow part.
  bool MouseOverBody() const { return FMouseInControl; }
  bool MouseOverArrow() const { return FMouseInArrow; }
  // The last caption rectangle drawn.
  RECT TextRect() const { return FTextRect; }
  // The size the content needs with frame; keepHeight keeps the current height.
  SIZE MeasureButton(bool keepHeight);
  virtual bool Focused() { return false; }

 protected:
  enum TImageKind { kNormalImages, kHotImages, kDownImages, kDisabledImages, kImageKinds };
  virtual void SetImageList(TImageKind kind, TImageList* value);
  virtual void SetAlphaImageList(TImageKind kind, TImageList* value);
  // Hands the glyph holder the images of the current look.
  virtual void ImagesChanged();
  virtual int GetThemePartID() { return 1; }
  virtual int GetThemeStateID();
  virtual const wchar_t* GetThemedClassName() { return L"BUTTON"; }
  virtual int GetArrowThemePartID() { return 1; }
  virtual int GetArrowThemeStateID();
  virtual const wchar_t* GetArrowThemedClassName() { return L"COMBOBOX"; }
  virtual int GetArrowSize();
  virtual void DrawThemedBackground(HDC dc, const RECT& client);
  virtual void DoPullMenu();
  // The framework's click: the linked action's OnExecute, else OnClick.
  virtual void DoClick() { TGraphicControl::Click(); }
  // Takes the linked action's wide caption and hint and its checked state
  // (Down, for a switch or a grouped button) too.
  void ActionChange(TBasicAction* sender, bool checkDefaults, TActionProperties which) override;
  virtual void TriggerLinkClickEvent(const WideString& href);
  // The link under a client point of the caption drawn last.
  bool IsOverLink(POINT point, WideString& href);
  // A click of the body, or of the arrow part.
  virtual void AClick(bool arrow);

  void Paint() override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void TimerElapsed(UINT_PTR id) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void CMColorChanged(TMessage& message) override;

 private:
  void PlaySound(const std::string& event);
  void SetState(TElButtonState value);
  bool PressedLooking() const;
  bool Hot() const { return FMouseInControl || FMouseInArrow; }
  void MouseEntered(POINT point);
  void MouseLeft();
  void RecheckHover();
  void GroupPressed(TCustomElGraphicButton* sender);
  void BroadcastDown();
  HTHEME ThemeFor(bool arrow);
  void CloseThemes();
  void ResolveFrameColours(COLORREF face, COLORREF& highlight, COLORREF& dkShadow, COLORREF& shadow);
  void DrawFrame(HDC dc, RECT rect, bool sunken, bool strong, COLORREF face);
  void DrawArrowPart(HDC dc, const RECT& rect, COLORREF face);
  void PaintClassicBackground(HDC dc, const RECT& client);
  TElButtonDrawSettings DrawSettings(int themeState);
  POINT ContentOffset() const;

  std::unique_ptr<TElButtonGlyph> FGlyph;
  TImageList* FImages[kImageKinds] = {nullptr, nullptr, nullptr, nullptr};
  TImageList* FAlphaImages[kImageKinds] = {nullptr, nullptr, nullptr, nullptr};
  bool FPainting = false;
  bool FIsHTML = false;
  std::unique_ptr<TElHTMLRender> FRender;
  TColor FLinkColor = clBlue;
  TFontStyles FLinkStyle = fsUnderline;
  TCursor FStoredCursor = crDefault;
  std::unique_ptr<TBitmap> FBackground;
  std::unique_ptr<TBitmap> FDownBackground;
  WideString FCaption;
  WideString FHint;
  TElButtonState FState = ebsUp;
  TElButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  TAlignment FAlignment = taCenter;
  bool FShowGlyph = true;
  bool FShowText = true;
  bool FFlat = false;
  bool FThinFrame = false;
  bool FOldStyled = false;
  bool FShowBorder = true;
  bool FTransparent = false;
  bool FBackgroundDrawBorder = false;
  bool FShadowFollowsColor = true;
  bool FShadowsUseCustom = false;
  TColor FShadowBtnHighlight = clBtnHighlight;
  TColor FShadowBtnShadow = clBtnShadow;
  TColor FShadowBtnDkShadow = cl3DDkShadow;
  TElTextDrawType FTextDrawType = tdtNormal;
  bool FChangeDisabledText = true;
  bool FAdjustSpaceForGlyph = true;
  bool FDown = false;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FIsSwitch = false;
  bool FUseArrow = false;
  TPopupMenu* FPullDownMenu = nullptr;
  TPopupPlace FPopupPlace = ppDown;
  bool FDisableAutoPopup = false;
  bool FCancel = false;
  int FModalResult = 0;
  bool FShortcutsEnabled = false;
  bool FMoneyFlat = false;
  TColor FMoneyFlatInactiveColor = clBlack;
  TColor FMoneyFlatActiveColor = clBlack;
  TColor FMoneyFlatDownColor = clBlack;
  TElSoundMap* FSoundMap = nullptr;
  std::string FDownSound;
  std::string FUpSound;
  std::string FClickSound;
  std::string FArrowClickSound;
  bool FUseXPThemes = true;
  HTHEME FTheme = nullptr;
  HTHEME FArrowTheme = nullptr;
  HWND FThemeWindow = nullptr;
  // Run-time flags.
  bool FMouseInControl = false;
  bool FMouseInArrow = false;
  bool FTracking = false;
  bool FMenuShown = false;
  bool FMenuClosedOverArrow = false;
  int FPressKind = 0;  // 0 none, 2 body with menu, 4 arrow
  RECT FTextRect{0, 0, 0, 0};
};

// The published button: every property of its base, nothing added.
class TElGraphicButton : public TCustomElGraphicButton {
 public:
  explicit TElGraphicButton(TComponent* owner) : TCustomElGraphicButton(owner) {}
  std::string ClassName() const override { return "TElGraphicButton"; }
};
