#pragma once
// The published face of a custom scroll bar: its properties in form data
// (with the names older versions wrote) and copying from another bar.
// Main thread only.
#include "controls/list/win32/ElSBHandler.h"

class TElCtrlScrollBarStyles : public TElSBHandlerCustom {
 public:
  TElCtrlScrollBarStyles(TElSBController* controller, TElScrollBarKind kind)
      : TElSBHandlerCustom(controller, kind) {}
  std::string ClassName() const override { return "TElCtrlScrollBarStyles"; }

  // ImageForm: accepted and ignored, always none.
  void* ImageForm() const { return nullptr; }
  void SetImageForm(void* /*value*/) {}

 protected:
  void DefineProperties(TFiler* filer) override;
};

// Bars that send the host thumb-position while their thumb is dragged.
class TElCtrlScrollBarStylesTracking : public TElCtrlScrollBarStyles {
 public:
  TElCtrlScrollBarStylesTracking(TElSBController* controller, TElScrollBarKind kind)
      : TElCtrlScrollBarStyles(controller, kind) {
    SetTracking(true);
  }
  std::string ClassName() const override { return "TElCtrlScrollBarStylesTracking"; }
};
