#pragma once
// The base of the control set's windowed controls. It holds the platform's
// theme data for its window while the window exists and theming is wanted
// and available, so that descendants draw themed parts with Theme() or
// their classic look when IsThemeApplied() is false; it answers the set's
// query message with that handle; it draws bevels and border in the
// non-client area; and it links the control to a style manager. Descendant
// constructors call BeginCreate first and EndCreate last, so that the
// program-wide default style manager is picked up once, after their own
// initialisation. Main thread only.
#include <windows.h>
#include <uxtheme.h>

#include <memory>
#include <string>

#include "controls/base/win32/ElStyleManager.h"
#include "framework/win32/CustomControls.h"

// Asks any window whether it is a themed control of the set: the answer is
// the control's theme handle (0 for other windows and for unthemed controls).
constexpr UINT IFM_ISTHEMEDCONTROL = 0xB800;

// The theme handle a window of the set answers, or null for any other window.
HTHEME ElThemeOfWindow(HWND window);

enum TBevelKind : unsigned char { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelCut : unsigned char { bvNone, bvLowered, bvRaised, bvSpace };
// The sides of the bevel, as the platform's edge drawing numbers them.
enum TBevelEdge : unsigned char { beLeft = BF_LEFT, beTop = BF_TOP, beRight = BF_RIGHT, beBottom = BF_BOTTOM };
using TBevelEdges = unsigned char;
constexpr TBevelEdges beAll = beLeft | beTop | beRight | beBottom;

class TElXPThemedControl : public TCustomControl {
 public:
  explicit TElXPThemedControl(TComponent* owner);
  ~TElXPThemedControl() override;
  std::string ClassName() const override { return "TElXPThemedControl"; }

  bool UseXPThemes() const { return FUseXPThemes; }
  virtual void SetUseXPThemes(bool value);
  // The theme data of the window, or null.
  HTHEME Theme() const { return FTheme; }
  bool IsThemeApplied() const { return FUseXPThemes && FTheme != nullptr; }

  TElStyleManager* StyleManager() const { return FStyleManager; }
  virtual void SetStyleManager(TElStyleManager* value);
  const std::string& StyleName() const { return FStyleName; }
  virtual void SetStyleName(const std::string& value);
  // Applies the style named StyleName through the manager, if there is one.
  void UpdateStyle();
  // Takes one property of a style; false for a property this control does
  // not have. Raises EConvertError for a value it cannot read. Descendants
  // add their own properties and pass the rest on.
  virtual bool SetStyleProperty(const std::string& name, const std::string& value);
  // Loading of the control's design has ended: the style is applied again.
  virtual void Loaded();

  void BeginCreate() { ++FCreating; }
  void EndCreate();

  // Bevels and border in the non-client area.
  TBevelKind BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  TBevelEdges BevelEdges() const { return FBevelEdges; }
  void SetBevelEdges(TBevelEdges value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);

 protected:
  // The theme class of the control ("STATUS", "BUTTON", ...).
  virtual const wchar_t* GetThemedClassName() const = 0;
  virtual void FreeThemeHandle();
  virtual void CreateThemeHandle();

  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void WMNCPaint(TMessage& message) override;
  void WMNCCalcSize(TMessage& message) override;
  virtual void WMThemeChanged(TMessage& message);

  // While set, the window's own style changes are answered with 0 and not
  // handled: descendants set it while they switch border styles off and on
  // around the default non-client painting.
  bool FBlockStyleChanges = false;

 private:
  void StyleChanged(TObject* sender);
  void FrameChanged();
  int BevelSize() const;
  void PaintBevel(HDC dc, RECT clientInWindow);

  bool FUseXPThemes = true;
  HTHEME FTheme = nullptr;
  TElStyleManager* FStyleManager = nullptr;
  std::string FStyleName;
  std::unique_ptr<TElStyleChangeLink> FChangeLink;
  int FCreating = 0;
  TBevelKind FBevelKind = bkNone;
  TBevelCut FBevelInner = bvRaised;
  TBevelCut FBevelOuter = bvLowered;
  TBevelEdges FBevelEdges = beAll;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  bool FCtl3D = true;
};
