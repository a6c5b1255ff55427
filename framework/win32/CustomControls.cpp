#include "framework/win32/CustomControls.h"

namespace {
// Binds a control canvas to a paint device context for one Paint call.
template <typename Paint>
void PaintOn(TControlCanvas* canvas, TFont* font, HDC dc, Paint paint) {
  canvas->FreeHandle();
  canvas->Font()->Assign(font);
  canvas->SetHandle(dc);
  try {
    paint();
  } catch (...) {
    canvas->SetHandle(nullptr);
    throw;
  }
  canvas->SetHandle(nullptr);
}
}  // namespace

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), FCanvas(std::make_unique<TControlCanvas>(this)) {
  FCaptureOnPress = true;
}

TGraphicControl::~TGraphicControl() { FCanvas.reset(); }

void TGraphicControl::Dispatch(TMessage& message) {
  if (message.Msg == WM_PAINT && message.WParam != 0) {
    PaintOn(FCanvas.get(), FFont.get(), reinterpret_cast<HDC>(message.WParam), [this] { Paint(); });
    return;
  }
  TControl::Dispatch(message);
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), FCanvas(std::make_unique<TControlCanvas>(this)) {
  FCaptureOnPress = true;
  FCanvas->Font()->Assign(FFont.get());
}

TCustomControl::~TCustomControl() { FCanvas->FreeHandle(); }

void TCustomControl::PaintWindow(HDC dc) {
  PaintOn(FCanvas.get(), FFont.get(), dc, [this] { Paint(); });
}

void TCustomControl::DestroyWnd() {
  FCanvas->FreeHandle();
  TWinControl::DestroyWnd();
}

void TCustomControl::CMFontChanged(TMessage& message) {
  FCanvas->Font()->Assign(FFont.get());
  TWinControl::CMFontChanged(message);
}
