// Drawing of one custom scroll bar, themed or classic, through an off-screen
// bitmap copied in one step.
#include <vsstyle.h>

#include <algorithm>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/list/win32/ElSBController.h"
#include "controls/list/win32/ElSBHandler.h"
#include "framework/win32/BufferedPaint.h"
#include "platform/win32/HandleOwners.h"

namespace {
COLORREF Darker(TColor color) {
  if (color == clBtnFace) return ColorToRGB(clBtnShadow);
  const COLORREF rgb = ColorToRGB(color);
  return RGB(GetRValue(rgb) * 3 / 4, GetGValue(rgb) * 3 / 4, GetBValue(rgb) * 3 / 4);
}

// The checker pattern of tracks: made once, from the button face and its
// highlight as they are then, and shared by every bar until the program ends.
HBRUSH CheckerBrush() {
  struct TChecker {
    TGdiObject<HBITMAP> Bitmap;
    TGdiObject<HBRUSH> Brush;
    TChecker() {
      TCreatedDC dc(CreateCompatibleDC(nullptr));
      TWindowDC screen(nullptr);
      Bitmap.Reset(CreateCompatibleBitmap(screen.Get(), 8, 8));
      {
        TSelectedObject selected(dc.Get(), Bitmap.Get());
        const COLORREF face = ColorToRGB(clBtnFace);
        const COLORREF light = ColorToRGB(clBtnHighlight);
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x) SetPixel(dc.Get(), x, y, (x + y) % 2 == 0 ? face : light);
      }
      Brush.Reset(CreatePatternBrush(Bitmap.Get()));
    }
  };
  static TChecker checker;
  return checker.Brush.Get();
}

void Fill(HDC dc, const RECT& rect, COLORREF color) {
  TGdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &rect, brush.Get());
}

enum TDirection { dirLeft, dirUp, dirRight, dirDown };

void Triangle(HDC dc, const RECT& r, TDirection direction, COLORREF color, int shift) {
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const int size = std::max(2, std::min(w, h) / 4);  // half the base
  const int cx = r.left + w / 2 + shift;
  const int cy = r.top + h / 2 + shift;
  POINT points[3];
  switch (direction) {
    case dirUp: points[0] = {cx, cy - size / 2 - 1}; points[1] = {cx - size, cy + size / 2}; points[2] = {cx + size, cy + size / 2}; break;
    case dirDown: points[0] = {cx, cy + size / 2 + 1}; points[1] = {cx - size, cy - size / 2}; points[2] = {cx + size, cy - size / 2}; break;
    case dirLeft: points[0] = {cx - size / 2 - 1, cy}; points[1] = {cx + size / 2, cy - size}; points[2] = {cx + size / 2, cy + size}; break;
    case dirRight: points[0] = {cx + size / 2 + 1, cy}; points[1] = {cx - size / 2, cy - size}; points[2] = {cx - size / 2, cy + size}; break;
  }
  TGdiObject<HBRUSH> brush(CreateSolidBrush(color));
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, color));
  TSelectedObject selectedBrush(dc, brush.Get());
  TSelectedObject selectedPen(dc, pen.Get());
  Polygon(dc, points, 3);
}
}  // namespace

class TElScrollBarPainter {
 public:
  TElScrollBarPainter(TElSBHandlerCustom& bar, HDC dc, int width, int height)
      : FBar(bar), FDC(dc), FWidth(width), FHeight(height) {
    TElSBController* controller = bar.FController;
    HWND host = bar.HostWindow();
    FHostEnabled = host == nullptr || IsWindowEnabled(host);
    if (bar.FUseXPThemes && controller != nullptr && controller->UseXPThemes()) FTheme = controller->Theme();
    FCanvas.SetHandle(dc);
  }
  ~TElScrollBarPainter() { FCanvas.SetHandle(nullptr); }

  void Paint() {
    const TElScrollBarLayout& layout = FBar.FLayout;
    const int length = layout.Length;
    const int b = layout.ButtonSize;
    if (layout.StartButtons >= 1) PaintArrow(sbpLeftArrow, Span(0, b));
    if (layout.StartButtons >= 2) PaintArrow(sbpLeftSndArrow, Span(b, 2 * b));
    if (layout.EndButtons >= 1) PaintArrow(sbpRightArrow, Span(length - b, length));
    if (layout.EndButtons >= 2) PaintArrow(sbpRightSndArrow, Span(length - 2 * b, length - b));
    const int trackStart = layout.TrackStart();
    const int trackEnd = length - b * layout.EndButtons;
    if (trackEnd <= trackStart) return;
    const bool canScroll = FBar.FEnabled && (FTheme != nullptr || FHostEnabled);
    if (!canScroll || !layout.HasThumb()) {
      PaintTrack(sbpRightBottom, Span(trackStart, trackEnd), false);
      return;
    }
    const int thumbEnd = layout.ThumbStart + layout.ThumbLength;
    PaintTrack(sbpLeftTop, Span(trackStart, layout.ThumbStart), true);
    PaintThumb(Span(layout.ThumbStart, thumbEnd));
    PaintTrack(sbpRightBottom, Span(thumbEnd, trackEnd), true);
  }

 private:
  bool Horizontal() const { return FBar.FKind == sbHorizontal; }
  RECT Span(int from, int to) const {
    return Horizontal() ? RECT{from, 0, to, FHeight} : RECT{0, from, FWidth, to};
  }
  bool Pressed(TElScrollBarPart part) const { return FBar.FPressedPart == part && FBar.FMousePart == part; }
  bool HotPart(TElScrollBarPart part) const { return FBar.FHot && FBar.FMousePart == part; }
  bool FlatLook() const { return FBar.FFlat && (!FBar.FHot || FBar.FActiveFlat); }
  bool PartEnabled(TElScrollBarPart part) const {
    if (!FBar.FEnabled || (FTheme == nullptr && !FHostEnabled)) return false;
    return ElPressAction(part, FBar.FRange, 1, FBar.FSecondBtnKind, FBar.FNoDisableButtons).Active;
  }
  // Offered to the draw-part event first; true when it drew the part.
  bool OwnerDrawn(TElScrollBarPart part, const RECT& r, bool enabled, bool pressed) {
    if (!FBar.FOwnerDraw || !FBar.OnDrawPart) return false;
    bool defaultDraw = true;
    FBar.OnDrawPart(&FBar, &FCanvas, r, part, enabled, false, pressed, defaultDraw);
    return !defaultDraw;
  }

  TDirection ArrowDirection(TElScrollBarPart part) const {
    const bool backward = part == sbpLeftArrow || part == sbpRightSndArrow;
    if (Horizontal()) return backward ? dirLeft : dirRight;
    return backward ? dirUp : dirDown;
  }

  void PaintArrow(TElScrollBarPart part, const RECT& r) {
    const bool enabled = PartEnabled(part);
    const bool pressed = Pressed(part);
    if (OwnerDrawn(part, r, enabled, pressed)) return;
    const TDirection direction = ArrowDirection(part);
    if (FTheme != nullptr) {
      static const int base[] = {ABS_LEFTNORMAL, ABS_UPNORMAL, ABS_RIGHTNORMAL, ABS_DOWNNORMAL};
      const int state = base[direction] + (!enabled ? 3 : pressed ? 2 : HotPart(part) ? 1 : 0);
      TElThemeLibrary::DrawThemeBackground(FTheme, FDC, SBP_ARROWBTN, state, &r, nullptr);
      return;
    }
    RECT face = r;
    if (FBar.FDrawArrowFrames) {
      Fill(FDC, face, ColorToRGB(FBar.FColor));
      if (pressed || FlatLook()) DrawEdge(FDC, &face, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
      else DrawEdge(FDC, &face, FBar.FThinFrame ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT | BF_ADJUST);
    } else {
      FillTrack(face, false);
    }
    const int shift = pressed ? 1 : 0;
    if (!enabled) {
      Triangle(FDC, face, direction, ColorToRGB(clBtnHighlight), shift + 1);
      Triangle(FDC, face, direction, ColorToRGB(clBtnShadow), shift);
    } else {
      Triangle(FDC, face, direction, ColorToRGB(HotPart(part) ? FBar.FArrowHotTrackColor : FBar.FArrowColor), shift);
    }
  }

  void FillTrack(const RECT& r, bool pressed) {
    if (pressed && FBar.FChangeColorsOnScroll) {
      Fill(FDC, r, Darker(FBar.FColor));
      return;
    }
    const bool systemIsFace = GetSysColor(COLOR_SCROLLBAR) == GetSysColor(COLOR_BTNFACE);
    if ((FBar.FBlendBackground && !FBar.FSystemBkColor) || (FBar.FSystemBkColor && systemIsFace)) {
      POINT origin;
      SetBrushOrgEx(FDC, 0, 0, &origin);
      FillRect(FDC, &r, CheckerBrush());
      SetBrushOrgEx(FDC, origin.x, origin.y, nullptr);
      return;
    }
    Fill(FDC, r, FBar.FSystemBkColor ? GetSysColor(COLOR_SCROLLBAR) : ColorToRGB(FBar.FColor));
  }

  void PaintTrack(TElScrollBarPart part, const RECT& r, bool scrollable) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    const bool pressed = scrollable && Pressed(part);
    if (OwnerDrawn(part, r, scrollable, pressed)) return;
    if (FTheme != nullptr) {
      const bool before = part == sbpLeftTop;
      const int themePart = Horizontal() ? (before ? SBP_LOWERTRACKHORZ : SBP_UPPERTRACKHORZ)
                                         : (before ? SBP_LOWERTRACKVERT : SBP_UPPERTRACKVERT);
      const int state = !scrollable ? SCRBS_DISABLED : pressed ? SCRBS_PRESSED : HotPart(part) ? SCRBS_HOT : SCRBS_NORMAL;
      TElThemeLibrary::DrawThemeBackground(FTheme, FDC, themePart, state, &r, nullptr);
      return;
    }
    FillTrack(r, pressed);
  }

  void PaintThumb(const RECT& r) {
    const bool dragging = FBar.FDragging;
    if (OwnerDrawn(sbpThumb, r, true, dragging)) return;
    if (FTheme != nullptr) {
      const int state = dragging ? SCRBS_PRESSED : HotPart(sbpThumb) ? SCRBS_HOT : SCRBS_NORMAL;
      TElThemeLibrary::DrawThemeBackground(FTheme, FDC, Horizontal() ? SBP_THUMBBTNHORZ : SBP_THUMBBTNVERT, state, &r,
                                           nullptr);
      if (FBar.FDrawBars)
        TElThemeLibrary::DrawThemeBackground(FTheme, FDC, Horizontal() ? SBP_GRIPPERHORZ : SBP_GRIPPERVERT, state, &r,
                                             nullptr);
      return;
    }
    RECT face = r;
    Fill(FDC, face, ColorToRGB(FBar.FColor));
    const bool sunken = dragging && !FBar.FNoSunkenThumb;
    if (FBar.FShowBorder) {
      if (FlatLook()) DrawEdge(FDC, &face, BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
      else if (sunken) DrawEdge(FDC, &face, FBar.FThinFrame ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
      else DrawEdge(FDC, &face, FBar.FThinFrame ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
    }
    PaintGrip(r, sunken);
  }

  // Four lines across the thumb's middle.
  void PaintGrip(const RECT& r, bool sunken) {
    const int along = Horizontal() ? r.right - r.left : r.bottom - r.top;
    const int across = Horizontal() ? r.bottom - r.top : r.right - r.left;
    const int inset = FBar.FBarOffset + (FBar.FShowBorder ? 1 : 0);
    if (!FBar.FDrawBars || along <= 14 || across - 2 * inset < 1) return;
    const int shift = sunken ? 1 : 0;
    const int centre = (Horizontal() ? r.left + along / 2 : r.top + along / 2) + shift;
    TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ColorToRGB(FBar.FBarColor)));
    TSelectedObject selected(FDC, pen.Get());
    for (int offset : {-3, -1, 1, 3}) {
      if (Horizontal()) {
        MoveToEx(FDC, centre + offset, r.top + inset + shift, nullptr);
        LineTo(FDC, centre + offset, r.bottom - inset + shift);
      } else {
        MoveToEx(FDC, r.left + inset + shift, centre + offset, nullptr);
        LineTo(FDC, r.right - inset + shift, centre + offset);
      }
    }
  }

  TElSBHandlerCustom& FBar;
  HDC FDC;
  int FWidth;
  int FHeight;
  HTHEME FTheme = nullptr;
  bool FHostEnabled = true;
  TCanvas FCanvas;
};

void TElSBHandlerCustom::Paint(HDC dc, const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  TBufferedPaint buffer(dc, rect);
  if (!buffer.Buffered()) return;
  // The painter draws from (0, 0): the buffer's first pixel is the bar's corner.
  POINT origin{};
  SetViewportOrgEx(buffer.DC(), 0, 0, &origin);
  TElScrollBarPainter(*this, buffer.DC(), width, height).Paint();
  SetViewportOrgEx(buffer.DC(), origin.x, origin.y, nullptr);
  buffer.Finish();
}
