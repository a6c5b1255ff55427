#include "controls/edit/win32/ElWinTextPainter.h"

#include <utility>

#include "framework/win32/Graphics.h"

// The platform's headers turn the names GetTextExtentExPoint and ExtTextOut
// into their wide forms, ours included: the platform's calls are named in
// full from the global scope.
namespace {
LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }
int Length(const WideString& text) { return static_cast<int>(text.size()); }
}  // namespace

TElWinTextPainter::TElWinTextPainter() : FMeasure(CreateCompatibleDC(nullptr)) {
  if (FMeasure) {
    FDefaultFont = GetCurrentObject(FMeasure.Get(), OBJ_FONT);
    GetTextMetricsW(FMeasure.Get(), &FMetrics);
  }
}

TElWinTextPainter::~TElWinTextPainter() {
  // The font is ours to delete only once no device context holds it.
  if (FMeasure && FDefaultFont != nullptr) SelectObject(FMeasure.Get(), FDefaultFont);
}

void TElWinTextPainter::SetFont(TFont* font) {
  TGdiObject<HFONT> copy(CreateStyledFont(font->Name(), font->Height(), font->Style(), font->Charset()));
  if (!copy || !FMeasure) return;
  SelectObject(FMeasure.Get(), copy.Get());
  FFont = std::move(copy);
  GetTextMetricsW(FMeasure.Get(), &FMetrics);
}

TElTextExtent TElWinTextPainter::TextSize(const WideString& text) const {
  SIZE size{0, 0};
  if (FMeasure) GetTextExtentPoint32W(FMeasure.Get(), W(text), Length(text), &size);
  if (text.empty()) size.cy = FMetrics.tmHeight;
  return TElTextExtent{static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

int TElWinTextPainter::GetTextExtentExPoint(const WideString& text, int maxWidth) const {
  if (text.empty() || maxWidth <= 0 || !FMeasure) return 0;
  int fit = 0;
  SIZE size{0, 0};
  if (!::GetTextExtentExPointW(FMeasure.Get(), W(text), Length(text), maxWidth, &fit, nullptr, &size)) return 0;
  return fit;
}

void TElWinTextPainter::ExtTextOut(int x, int y, const TElTextRect& clip, const WideString& text) {
  if (FTarget == nullptr || text.empty()) return;
  const RECT rect{clip.Left, clip.Top, clip.Right, clip.Bottom};
  TSelectedObject font(FTarget, FFont.Get());
  const UINT align = SetTextAlign(FTarget, TA_BASELINE | TA_LEFT);
  const int mode = SetBkMode(FTarget, TRANSPARENT);
  ::ExtTextOutW(FTarget, x, y, ETO_CLIPPED, &rect, W(text), static_cast<UINT>(Length(text)), nullptr);
  SetBkMode(FTarget, mode);
  SetTextAlign(FTarget, align);
}
