#pragma once
// The control set's status bar: one line of text (simple mode) or a row of
// panels, each with text (optionally HTML-formatted), a hosted control or
// owner drawing; a size grip that resizes the form; panels resizable by
// dragging the gaps between them; per-panel hints. It paints through one
// off-screen bitmap and never lets its background be erased, so frequent
// text changes do not flicker; setting the text it already shows does not
// repaint. Main thread only.
#include <functional>
#include <memory>
#include <vector>

#include "controls/base/ElAlignment.h"
#include "controls/base/win32/ElHTMLRender.h"
#include "controls/base/win32/ElXPThemedControl.h"
#include "controls/list/ElStatusBarLayout.h"
#include "framework/win32/HintWindow.h"

enum TElStatusPanelBevel : unsigned char { epbLowered, epbNone, epbRaised };
enum TElStatusPanelStyle : unsigned char { epsText, epsControl, epsOwnerDraw };

class TElStatusBar;
class TElStatusPanels;
class TElStatusPanel;

using TElPanelEvent = std::function<void(TObject* sender, TElStatusPanel* panel)>;

class TElStatusPanel {
 public:
  explicit TElStatusPanel(TElStatusPanels* collection);
  virtual ~TElStatusPanel();
  TElStatusPanel(const TElStatusPanel&) = delete;
  TElStatusPanel& operator=(const TElStatusPanel&) = delete;

  TElStatusBar* Bar() const;
  int Index() const;

  const WideString& Text() const { return FText; }
  void SetText(const WideString& value);
  int Width() const { return FWidth; }
  void SetWidth(int value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TElStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TElStatusPanelBevel value);
  TElStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TElStatusPanelStyle value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool Resizable() const { return FResizable; }
  void SetResizable(bool value) { FResizable = value; }
  bool IsHTML() const { return FIsHTML; }
  void SetIsHTML(bool value);
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& value) { FHint = value; }
  // Shown inside the panel when its style is epsControl; not owned.
  TControl* Control() const { return FControl; }
  void SetControl(TControl* value);
  // The width follows the text (epsText only).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);

  int CurWidth() const;
  int GetRealWidth() const;
  int GetLeft() const;
  int GetRight() const;
  RECT GetPanelRect() const;
  // The text's width on the bar's canvas plus 3 pixels on each side; Width
  // while the bar has no window.
  int CalcAutoSize() const;
  // Places the control inside the panel and shows it when it is to be seen.
  virtual void UpdateControl();
  void SaveWidth() { FSavedWidth = FWidth; }
  void RestoreWidth();
  int SavedWidth() const { return FSavedWidth; }
  // Copies text, width, saved width, alignment, bevel, style, control and visibility.
  void Assign(const TElStatusPanel& source);

 private:
  friend class TElStatusBar;
  void Changed(bool allPanels);
  void ApplyAutoSize();

  TElStatusPanels* FCollection;
  WideString FText;
  int FWidth = 100;
  TAlignment FAlignment = taLeftJustify;
  TElStatusPanelBevel FBevel = epbLowered;
  TElStatusPanelStyle FStyle = epsText;
  bool FVisible = true;
  bool FResizable = true;
  bool FIsHTML = false;
  WideString FHint;
  TControl* FControl = nullptr;
  bool FAutoSize = false;
  int FSavedWidth = -1;
};

class TElStatusPanels {
 public:
  explicit TElStatusPanels(TElStatusBar* bar) : FBar(bar) {}
  TElStatusPanels(const TElStatusPanels&) = delete;
  TElStatusPanels& operator=(const TElStatusPanels&) = delete;

  TElStatusBar* Bar() const { return FBar; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // An index out of range raises EStringListError, as every list of the set does.
  TElStatusPanel* Items(int index) const;
  // Copies the given panel into the one at index.
  void SetItems(int index, const TElStatusPanel& panel);
  TElStatusPanel* Add();
  void Delete(int index);
  void Clear();
  // The visible panel with the highest index, or null.
  TElStatusPanel* LastVisiblePanel() const;
  // Makes this collection a copy of source.
  void Assign(const TElStatusPanels& source);
  int IndexOf(const TElStatusPanel* panel) const;

 private:
  TElStatusBar* FBar;
  std::vector<std::unique_ptr<TElStatusPanel>> FItems;
};

class TElStatusBar : public TElXPThemedControl {
 public:
  explicit TElStatusBar(TComponent* owner);
  ~TElStatusBar() override;
  std::string ClassName() const override { return "TElStatusBar"; }

  const WideString& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const WideString& value);
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool value);
  bool SimpleTextIsHTML() const { return FSimpleTextIsHTML; }
  void SetSimpleTextIsHTML(bool value);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool value);
  bool ResizablePanels() const { return FResizablePanels; }
  void SetResizablePanels(bool value) { FResizablePanels = value; }
  TElStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TElStatusPanelBevel value) { FBevel = value; }
  TElStatusPanels* Panels() { return FPanels.get(); }
  void SetPanels(const TElStatusPanels& value) { FPanels->Assign(value); }
  // The bar's wide hint; the framework gets it in the Unicode hint encoding.
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& value);

  // Forces simple mode without panels, places the panels' controls, repaints.
  virtual void UpdatePanels();
  // The visible panel under a client point; null in simple mode or over a gap.
  virtual TElStatusPanel* PanelAtPoint(POINT point);
  // Whether the size grip is drawn and answers hit tests now: set, and the
  // form is sizeable and not maximised.
  bool SizeGripShown();
  // The geometry of the panels as the bar lays them out now.
  TElStatusBarMetrics Metrics();
  bool SetStyleProperty(const std::string& name, const std::string& value) override;

  TElPanelEvent OnPanelResize;
  TElPanelEvent OnPanelDraw;
  TElPanelEvent OnPanelClick;
  TElPanelEvent OnPanelDblClick;
  TElHTMLImageNeededEvent OnHTMLImageNeeded;

 protected:
  const wchar_t* GetThemedClassName() const override { return L"STATUS"; }
  virtual void TriggerPanelResizeEvent(TElStatusPanel* panel);
  virtual void TriggerPanelDrawEvent(TElStatusPanel* panel);
  virtual void TriggerPanelDblClickEvent(TElStatusPanel* panel);
  virtual void TriggerPanelClickEvent(TElStatusPanel* panel);
  virtual void DrawPanel(TElStatusPanel* panel);
  virtual void TriggerImageNeededEvent(TObject* sender, const WideString& src, TBitmap*& image);

  void CreateWnd() override;
  void Paint() override;
  void WndProc(TMessage& message) override;
  void WMEraseBkgnd(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMNCHitTest(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMMouseLeave(TMessage& message) override;
  // Chooses the hint of the panel under the cursor, or the bar's own.
  virtual void CMHintShow(THintInfo& info);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TElStatusPanel;
  friend class TElStatusPanels;
  void PanelChanged(TElStatusPanel* panel, bool allPanels);
  // Forces simple mode without panels and places the panels' controls.
  void PlacePanels();
  void PaintThemed(const RECT& client, const RECT& dirty);
  void PaintClassic(const RECT& client, const RECT& dirty);
  void PaintSizeGrip(const RECT& client);
  void DrawSimpleText(RECT area, bool themed);
  void DrawHTML(const WideString& text, const RECT& area, TColor background, TAlignment alignment);
  void DrawDragLine();
  void SetSplitCursor(bool split);
  bool ParentFormSizeable();

  WideString FSimpleText;
  bool FSimplePanel = true;
  bool FSimpleTextIsHTML = false;
  bool FSizeGrip = true;
  bool FResizablePanels = false;
  TElStatusPanelBevel FBevel = epbNone;
  std::unique_ptr<TElStatusPanels> FPanels;
  std::unique_ptr<TElHTMLRender> FRender;
  WideString FHint;
  // Resizing and pressing.
  TElStatusPanel* FResizePanel = nullptr;
  int FLineX = 0;
  int FLineOffset = 0;
  bool FLineDrawn = false;
  bool FPressed = false;
  TElStatusPanel* FPressedPanel = nullptr;
  bool FSplitCursor = false;
  bool FPlacing = false;
};
