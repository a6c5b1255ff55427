#pragma once
// The two bases of controls that paint themselves: a graphic control has no
// window and paints on its parent's, a custom control paints its own window.
// Both draw on Canvas inside Paint.
// Threads: as TControl, the thread that made the window.
#include <memory>

#include "framework/win32/WinControl.h"

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  std::string ClassName() const override { return "TGraphicControl"; }
  TCanvas* Canvas() { return FCanvas.get(); }

 protected:
  void Dispatch(TMessage& message) override;
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  std::string ClassName() const override { return "TCustomControl"; }
  TCanvas* Canvas() { return FCanvas.get(); }

 protected:
  void PaintWindow(HDC dc) override;
  void DestroyWnd() override;
  void CMFontChanged(TMessage& message) override;
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};
