#pragma once
// What the control set's check boxes and radio buttons share: sizing to box
// and caption, painting (themed, or classic with flat looks, custom glyph
// strips and image lists), HTML captions with links, the mouse and keyboard
// handling that ends in Click, and the check sound. Descendants say what a
// click does to their state (Click) and draw their flat frame. Main thread
// only.
#include <functional>
#include <memory>
#include <string>

#include "controls/base/ElAlignment.h"
#include "controls/base/ElCheckBoxState.h"
#include "controls/base/win32/ElHTMLRender.h"
#include "controls/check/win32/ElButtonControl.h"
#include "controls/check/ElCheckBoxLayout.h"
#include "framework/win32/Bitmap.h"
#include "framework/win32/ImageList.h"
#include "framework/win32/Menus.h"

class TElSoundMap;

// taRightJustify: the caption right of the box; taLeftJustify: left of it.
using TLeftRight = TAlignment;
using TElLinkClickEvent = std::function<void(TObject* sender, const WideString& href)>;

class TElCheckItem : public TElButtonControl {
 public:
  explicit TElCheckItem(TComponent* owner);
  ~TElCheckItem() override;
  std::string ClassName() const override { return "TElCheckItem"; }

  // The user's toggle: descendants change their state, then raise OnClick
  // through this.
  void Click() override { TElButtonControl::Click(); }

  TLeftRight CheckAlignment() const { return FCheckAlignment; }
  void SetCheckAlignment(TLeftRight value);
  int CheckMargin() const { return FCheckMargin; }
  void SetCheckMargin(int value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool FlatAlways() const { return FFlatAlways; }
  void SetFlatAlways(bool value);

  // Six box images side by side: unchecked, unchecked pressed or disabled,
  // checked, checked pressed or disabled, grayed, grayed pressed or disabled.
  TBitmap* Glyph() { return FGlyph.get(); }
  void SetGlyph(TBitmap* value);
  bool UseCustomGlyphs() const { return FUseCustomGlyphs; }
  void SetUseCustomGlyphs(bool value);
  // The same six images by index; not owned.
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* value);
  // Per-pixel opacity of Images (grey level), by the same index; not owned.
  TImageList* AlphaForImages() const { return FAlphaImages; }
  void SetAlphaForImages(TImageList* value);
  bool UseImageList() const { return FUseImageList; }
  void SetUseImageList(bool value);

  bool IsHTML() const { return FIsHTML; }
  void SetIsHTML(bool value);
  TColor LinkColor() const { return FLinkColor; }
  virtual void SetLinkColor(TColor value);
  TFontStyles LinkStyle() const { return FLinkStyle; }
  virtual void SetLinkStyle(TFontStyles value);
  TPopupMenu* LinkPopupMenu() const { return FLinkPopupMenu; }
  void SetLinkPopupMenu(TPopupMenu* value);
  TElLinkClickEvent OnLinkClick;
  TElHTMLImageNeededEvent OnImageNeeded;

  TElSoundMap* SoundMap() const { return FSoundMap; }
  void SetSoundMap(TElSoundMap* value);
  const std::string& CheckSound() const { return FCheckSound; }
  void SetCheckSound(const std::string& value) { FCheckSound = value; }

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool HandleDialogKeys() const { return FHandleDialogKeys; }
  void SetHandleDialogKeys(bool value) { FHandleDialogKeys = value; }

  // The cursor the user chose; a link under the mouse shows the hand instead.
  virtual void SetCursor(TCursor value);
  TCursor Cursor() const { return FStoredCursor; }

  // Sizes the control to box and caption now, when AutoSize allows.
  void AdjustSize();
  // The height box and caption need.
  virtual int CalcAutoHeight();
  bool Pressed() const { return FPressed; }
  bool Hovered() const { return FMouseInControl; }

 protected:
  // The box state to draw.
  virtual TCheckBoxState DrawState() = 0;
  // The flat (or, with money, the money-flat) frame over the classic box.
  virtual void DrawFlatFrame(TCanvas* canvas, const RECT& box, bool money) = 0;
  virtual void DrawGlyph(TCanvas* canvas, const RECT& box);
  virtual void GlyphChange();
  virtual void TriggerLinkClickEvent(const WideString& href);
  // The theme part of the box (check box or radio button).
  virtual int ThemePart() const = 0;
  // A click on an HTML link: true (and the link's event fired) when the
  // mouse is over one.
  bool ClickedLink();
  void PlayCheckSound();

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void WndProc(TMessage& message) override;
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void WMGetDlgCode(TMessage& message) override;
  void WMContextMenu(TMessage& message) override;
  void WMCaptureChanged(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void TextDrawTypeChanged() override;
  void Loaded() override;
  bool IsOverLink(POINT point, WideString& href);

  // True while the box shows its pressed look: pressed with the mouse over it.
  bool PressedLook() const { return FPressed && FMouseInControl; }

 private:
  TElLayoutSize BoxSize();
  TElLayoutSize MeasureCaption();
  bool MultiLineCaption();
  UINT CaptionFlags() const;
  int ThemeState(TCheckBoxState state);
  void PaintBackground(HDC dc, const RECT& client);
  void DrawBox(TCanvas* canvas, const RECT& box, TCheckBoxState state);
  void DrawImageListBox(TCanvas* canvas, const RECT& box, int index);
  void DrawCaption(TCanvas* canvas, const RECT& area);
  void PrepareHTML();
  void ContentChanged();
  void UpdateHover(bool inside);
  void EndPress(bool restoreCapture);
  void ShowLinkCursor(bool overLink);

  TLeftRight FCheckAlignment = taRightJustify;
  int FCheckMargin = 5;
  bool FAutoSize = true;
  bool FEndEllipsis = false;
  bool FFlat = false;
  bool FFlatAlways = false;
  std::unique_ptr<TBitmap> FGlyph;
  bool FUseCustomGlyphs = false;
  TImageList* FImages = nullptr;
  TImageList* FAlphaImages = nullptr;
  bool FUseImageList = false;
  bool FIsHTML = false;
  std::unique_ptr<TElHTMLRender> FRender;
  TColor FLinkColor = clBlue;
  TFontStyles FLinkStyle = fsUnderline;
  TPopupMenu* FLinkPopupMenu = nullptr;
  TElSoundMap* FSoundMap = nullptr;
  std::string FCheckSound;
  bool FReadOnly = false;
  bool FHandleDialogKeys = false;
  bool FMouseInControl = false;
  bool FPressed = false;
  bool FLinkPressed = false;
  HWND FPrevCapture = nullptr;
  POINT FTextPos{0, 0};
  TCursor FStoredCursor = crDefault;
  bool FKeyRepeat = false;
  // Where the releasing mouse was while Click runs from a release.
  bool FReleasing = false;
  POINT FReleasePoint{0, 0};
  bool FSizing = false;
};
