#include "framework/win32/Graphics.h"

#include "framework/Exception.h"
#include "framework/win32/Bitmap.h"
#include "platform/win32/HandleOwners.h"

namespace {
LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    HDC dc = GetDC(nullptr);
    const int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return ppi;
}
}  // namespace

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color);
}

// --- TGraphicsObject --------------------------------------------------------

TGraphicsObject::~TGraphicsObject() { FreeHandle(); }

void TGraphicsObject::FreeHandle() {
  if (FHandle != nullptr) {
    DeleteObject(FHandle);
    FHandle = nullptr;
  }
}

void TGraphicsObject::Changed() {
  if (OnChanging) OnChanging(this);
  FreeHandle();
  if (OnChange) OnChange(this);
}

// --- TFont ------------------------------------------------------------------

TFont::TFont()
    : FName(u"MS Sans Serif"), FHeight(-11), FColor(clWindowText), FStyle(0),
      FCharset(DEFAULT_CHARSET) {}

void TFont::Assign(TPersistent* source) {
  if (auto* font = dynamic_cast<TFont*>(source)) {
    if (font == this) return;
    FName = font->FName;
    FHeight = font->FHeight;
    FColor = font->FColor;
    FStyle = font->FStyle;
    FCharset = font->FCharset;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

HFONT CreateStyledFont(const WideString& face, int height, TFontStyles style, BYTE charset) {
  LOGFONTW log{};
  log.lfHeight = height;
  log.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
  log.lfItalic = (style & fsItalic) ? 1 : 0;
  log.lfUnderline = (style & fsUnderline) ? 1 : 0;
  log.lfStrikeOut = (style & fsStrikeOut) ? 1 : 0;
  log.lfCharSet = charset;
  log.lfOutPrecision = OUT_DEFAULT_PRECIS;
  log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  log.lfQuality = DEFAULT_QUALITY;
  log.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynW(log.lfFaceName, W(face), LF_FACESIZE);
  return CreateFontIndirectW(&log);
}

HFONT TFont::Handle() {
  if (FHandle == nullptr) FHandle = CreateStyledFont(FName, FHeight, FStyle, FCharset);
  return static_cast<HFONT>(FHandle);
}

void TFont::SetName(const WideString& value) {
  if (value == FName || value.empty()) return;
  FName = value;
  Changed();
}

void TFont::SetHeight(int value) {
  if (value == FHeight) return;
  FHeight = value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TFont::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

void TFont::SetCharset(BYTE value) {
  if (value == FCharset) return;
  FCharset = value;
  Changed();
}

// --- TBrush -----------------------------------------------------------------

void TBrush::Assign(TPersistent* source) {
  if (auto* brush = dynamic_cast<TBrush*>(source)) {
    if (brush == this) return;
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

HBRUSH TBrush::Handle() {
  if (FStyle == bsClear) return nullptr;
  if (FHandle == nullptr) FHandle = CreateSolidBrush(ColorToRGB(FColor));
  return static_cast<HBRUSH>(FHandle);
}

void TBrush::SetColor(TColor value) {
  if (value == FColor && FStyle == bsSolid) return;
  FColor = value;
  FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

// --- TPen -------------------------------------------------------------------

void TPen::Assign(TPersistent* source) {
  if (auto* pen = dynamic_cast<TPen*>(source)) {
    if (pen == this) return;
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

HPEN TPen::Handle() {
  if (FHandle == nullptr) FHandle = CreatePen(FStyle, FWidth, ColorToRGB(FColor));
  return static_cast<HPEN>(FHandle);
}

void TPen::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TPen::SetWidth(int value) {
  if (value == FWidth || value < 0) return;
  FWidth = value;
  Changed();
}

void TPen::SetStyle(int value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

// --- TCanvas ----------------------------------------------------------------

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FBrush(std::make_unique<TBrush>()),
      FPen(std::make_unique<TPen>()) {
  // A changed tool is deselected before its old handle is deleted and the new
  // one selected after.
  for (TGraphicsObject* tool : {static_cast<TGraphicsObject*>(FFont.get()),
                                static_cast<TGraphicsObject*>(FBrush.get()),
                                static_cast<TGraphicsObject*>(FPen.get())}) {
    tool->OnChanging = [this](TObject*) { DeselectHandles(); };
    tool->OnChange = [this](TObject*) {
      if (FHandle != nullptr) Select();
    };
  }
}

TCanvas::~TCanvas() { DeselectHandles(); }

HDC TCanvas::Handle() {
  RequireHandle();
  return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == FHandle) return;
  DeselectHandles();
  FHandle = dc;
  if (FHandle != nullptr) Select();
}

void TCanvas::RequireHandle() {
  if (FHandle == nullptr) {
    CreateHandle();
    if (FHandle == nullptr) throw Exception("Canvas does not allow drawing");
  }
}

void TCanvas::Select() {
  FOldFont = SelectObject(FHandle, FFont->Handle());
  SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  HBRUSH brush = FBrush->Handle();
  FOldBrush = SelectObject(FHandle, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
  SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
  SetBkMode(FHandle, FBrush->Style() == bsClear ? TRANSPARENT : OPAQUE);
  FOldPen = SelectObject(FHandle, FPen->Handle());
}

void TCanvas::DeselectHandles() {
  if (FHandle == nullptr) return;
  if (FOldFont) SelectObject(FHandle, FOldFont);
  if (FOldBrush) SelectObject(FHandle, FOldBrush);
  if (FOldPen) SelectObject(FHandle, FOldPen);
  FOldFont = FOldBrush = FOldPen = nullptr;
}

SIZE TCanvas::TextExtent(const WideString& text) {
  RequireHandle();
  SIZE size{0, 0};
  GetTextExtentPoint32W(FHandle, W(text), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::TextOut(int x, int y, const WideString& text) {
  RequireHandle();
  ExtTextOutW(FHandle, x, y, 0, nullptr, W(text), static_cast<UINT>(text.size()), nullptr);
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const WideString& text) {
  RequireHandle();
  UINT options = ETO_CLIPPED;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutW(FHandle, x, y, options, &rect, W(text), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const WideString& text, RECT& rect, UINT flags) {
  RequireHandle();
  return ::DrawTextW(FHandle, W(text), static_cast<int>(text.size()), &rect, flags);
}

void TCanvas::FillRect(const RECT& rect) {
  RequireHandle();
  if (HBRUSH brush = FBrush->Handle()) ::FillRect(FHandle, &rect, brush);
}

void TCanvas::FrameRect(const RECT& rect) {
  RequireHandle();
  if (HBRUSH brush = FBrush->Handle()) ::FrameRect(FHandle, &rect, brush);
}

void TCanvas::Rectangle(const RECT& rect) {
  RequireHandle();
  ::Rectangle(FHandle, rect.left, rect.top, rect.right, rect.bottom);
}

void TCanvas::MoveTo(int x, int y) {
  RequireHandle();
  MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequireHandle();
  ::LineTo(FHandle, x, y);
}

void TCanvas::DrawFocusRect(const RECT& rect) {
  RequireHandle();
  ::DrawFocusRect(FHandle, &rect);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* source, const RECT& sourceRect) {
  RequireHandle();
  HDC from = source->Handle();
  StretchBlt(FHandle, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, from,
             sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
             sourceRect.bottom - sourceRect.top, SRCCOPY);
}

void TCanvas::Polygon(const POINT* points, int count) {
  RequireHandle();
  ::Polygon(FHandle, points, count);
}

void TCanvas::Polyline(const POINT* points, int count) {
  RequireHandle();
  ::Polyline(FHandle, points, count);
}

void TCanvas::Ellipse(const RECT& rect) {
  RequireHandle();
  ::Ellipse(FHandle, rect.left, rect.top, rect.right, rect.bottom);
}

COLORREF TCanvas::Pixel(int x, int y) {
  RequireHandle();
  return ::GetPixel(FHandle, x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  RequireHandle();
  ::SetPixel(FHandle, x, y, ColorToRGB(color));
}

void TCanvas::DrawFrameControl(const RECT& rect, UINT type, UINT state) {
  RequireHandle();
  RECT copy = rect;
  ::DrawFrameControl(FHandle, &copy, type, state);
}

void TCanvas::DrawEdge(RECT& rect, UINT edge, UINT flags) {
  RequireHandle();
  ::DrawEdge(FHandle, &rect, edge, flags);
}

void TCanvas::TextRectEllipsis(const RECT& rect, const WideString& text, UINT align) {
  RequireHandle();
  RECT copy = rect;
  ::DrawTextW(FHandle, W(text), static_cast<int>(text.size()), &copy,
              align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void TCanvas::Draw(int x, int y, TBitmap* bitmap) {
  if (bitmap == nullptr || bitmap->Empty()) return;
  StretchDraw(RECT{x, y, x + bitmap->Width(), y + bitmap->Height()}, bitmap);
}

void TCanvas::StretchDraw(const RECT& rect, TBitmap* bitmap) {
  if (bitmap == nullptr || bitmap->Empty()) return;
  RequireHandle();
  bitmap->DrawOn(FHandle, rect);
}

void TCanvas::FillMasked(int x, int y, int width, int height, HBITMAP mask, int maskX, int maskY, TColor color) {
  RequireHandle();
  TCreatedDC maskDC(CreateCompatibleDC(FHandle));
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(color)));
  if (!maskDC || !brush) return;
  TSelectedObject maskSelected(maskDC.Get(), mask);
  TSelectedObject brushSelected(FHandle, brush.Get());
  // Black mask pixels become all ones, white ones all zeros: the brush lands
  // where the mask is black (destination ^ (source & (brush ^ destination))).
  const COLORREF text = SetTextColor(FHandle, RGB(255, 255, 255));
  const COLORREF back = SetBkColor(FHandle, RGB(0, 0, 0));
  BitBlt(FHandle, x, y, width, height, maskDC.Get(), maskX, maskY, 0x00E20746);
  SetTextColor(FHandle, text);
  SetBkColor(FHandle, back);
}

RECT TCanvas::ClipRect() {
  RequireHandle();
  RECT rect{0, 0, 0, 0};
  GetClipBox(FHandle, &rect);
  return rect;
}

// --- TCanvasClip ------------------------------------------------------------

TCanvasClip::TCanvasClip(TCanvas* canvas, const RECT& rect) : FDC(canvas->Handle()) {
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  if (saved != nullptr && GetClipRgn(FDC, saved) == 1) {
    FSaved = saved;
  } else if (saved != nullptr) {
    DeleteObject(saved);
  }
  IntersectClipRect(FDC, rect.left, rect.top, rect.right, rect.bottom);
}

TCanvasClip::~TCanvasClip() {
  SelectClipRgn(FDC, FSaved);
  if (FSaved != nullptr) DeleteObject(FSaved);
}
