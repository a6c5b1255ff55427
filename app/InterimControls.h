#pragma once
// Stand-ins for the control set's log list, status bar and path entry,
// built on the framework's controls. Each offers exactly what the main
// window and the worker use of the real one; they are to be replaced by the
// control set's own, not extended.
#include <functional>
#include <memory>

#include "controls/text/ElWideStringList.h"
#include "framework/win32/CustomControls.h"
#include "framework/win32/StdCtrls.h"

class TInterimListBox;

// The rows of the log: a wide string list that keeps the native list in step
// (one entry per item, in the same position).
class TInterimListBoxItems : public TElWideStringList {
 public:
  explicit TInterimListBoxItems(TInterimListBox* listBox) : FListBox(listBox) {}
  std::string ClassName() const override { return "TInterimListBoxItems"; }
  void Clear() override;
  void Delete(int index) override;
  void Put(int index, const WideString& s) override;
  void Exchange(int index1, int index2) override;

 protected:
  void InsertItem(int index, const WideString& s) override;

 private:
  TInterimListBox* FListBox;
};

// The platform's list box, owner-drawn from Items so that it shows any
// Unicode text whatever the native list's character set.
class TInterimListBox : public TWinControl {
 public:
  explicit TInterimListBox(TComponent* owner);
  ~TInterimListBox() override;
  std::string ClassName() const override { return "TInterimListBox"; }

  TInterimListBoxItems* Items() { return FItems.get(); }
  // The first visible row. Setting it scrolls as far towards that row as the
  // native list allows; setting the current value does nothing.
  virtual int TopIndex();
  virtual void SetTopIndex(int value);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  // The rectangle of a row in client coordinates (empty when out of range).
  RECT ItemRect(int index);
  // For measuring text in the list's font.
  TCanvas* Canvas() { return FCanvas.get(); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;

 private:
  friend class TInterimListBoxItems;
  void DrawItem(const DRAWITEMSTRUCT& draw);

  std::unique_ptr<TInterimListBoxItems> FItems;
  std::unique_ptr<TControlCanvas> FCanvas;
  std::unique_ptr<TCanvas> FItemCanvas;
  int FItemHeight = 13;
};

// The platform's edit with a push button inside its right edge.
class TInterimButtonEdit : public TWinControl {
 public:
  explicit TInterimButtonEdit(TComponent* owner);
  std::string ClassName() const override { return "TInterimButtonEdit"; }
  TButton* Button() { return FButton; }
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int value);
  void SetButtonCaption(const WideString& value) { FButton->SetCaption(value); }

  TNotifyEvent OnButtonClick;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void WMSize(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;

 private:
  void PlaceButton();

  TButton* FButton;  // owned as a component
  int FButtonWidth = 75;
};
