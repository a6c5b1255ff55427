#pragma once
// Colours, the three GDI tools (font, brush, pen) and the drawing surface
// that selects them into a device context on demand.
// Threads: a tool or canvas belongs to the thread that uses it; the GDI
// objects themselves may be shared, but not the objects that hold them.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/Persistent.h"
#include "platform/WideString.h"

// The canvas has DrawText and TextOut members; the platform's are the W/A forms.
#undef DrawText
#undef TextOut

// An RGB value (0x00BBGGRR) or, with the top bit set, a system colour index
// resolved when drawing.
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);

// The platform's current value of a system colour; RGB values unchanged.
COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned char { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned char;

// Base of the GDI tools: a lazily created handle, dropped on every change.
class TGraphicsObject : public TPersistent {
 public:
  TGraphicsObject() = default;
  // It owns its GDI handle: a copy would free it twice. Assign copies the look.
  TGraphicsObject(const TGraphicsObject&) = delete;
  TGraphicsObject& operator=(const TGraphicsObject&) = delete;
  ~TGraphicsObject() override;
  // Before the handle is dropped (a canvas deselects it) and after the change.
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  // Drops the handle and tells the owner (a canvas re-selects the tool).
  virtual void Changed();
  void FreeHandle();
  HGDIOBJ FHandle = nullptr;
};

// A new font of the face, height (as TFont::Height), styles and character
// set; the caller owns it. TFont and every cache of fonts make theirs here.
HFONT CreateStyledFont(const WideString& face, int height, TFontStyles style, BYTE charset);

class TFont : public TGraphicsObject {
 public:
  TFont();
  std::string ClassName() const override { return "TFont"; }
  void Assign(TPersistent* source) override;

  HFONT Handle();
  const WideString& Name() const { return FName; }
  void SetName(const WideString& value);
  // Negative: character height in pixels; positive: cell height.
  int Height() const { return FHeight; }
  void SetHeight(int value);
  // Points at the screen's pixels per inch; sets Height.
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE value);

 private:
  WideString FName;
  int FHeight;
  TColor FColor;
  TFontStyles FStyle;
  BYTE FCharset;
};

enum TBrushStyle : unsigned char { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
 public:
  std::string ClassName() const override { return "TBrush"; }
  void Assign(TPersistent* source) override;
  // Null for bsClear.
  HBRUSH Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

class TPen : public TGraphicsObject {
 public:
  std::string ClassName() const override { return "TPen"; }
  void Assign(TPersistent* source) override;
  HPEN Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Width() const { return FWidth; }
  void SetWidth(int value);
  // A PS_ style.
  int Style() const { return FStyle; }
  void SetStyle(int value);

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  int FStyle = PS_SOLID;
};

// A drawing surface. The font, brush and pen are selected into the device
// context when a drawing call needs them, and again after they change.
class TBitmap;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  std::string ClassName() const override { return "TCanvas"; }

  // The device context; a descendant may create one on demand.
  HDC Handle();
  // Binds to a device context that the caller owns (null unbinds).
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() { return FFont.get(); }
  TBrush* Brush() { return FBrush.get(); }
  TPen* Pen() { return FPen.get(); }

  SIZE TextExtent(const WideString& text);
  int TextWidth(const WideString& text) { return TextExtent(text).cx; }
  int TextHeight(const WideString& text) { return TextExtent(text).cy; }
  void TextOut(int x, int y, const WideString& text);
  // Draws clipped to rect; the brush fills rect first unless it is clear.
  void TextRect(const RECT& rect, int x, int y, const WideString& text);
  // DrawTextW with the given DT_ flags; returns the height drawn.
  int DrawText(const WideString& text, RECT& rect, UINT flags);
  void FillRect(const RECT& rect);
  void FrameRect(const RECT& rect);
  void Rectangle(const RECT& rect);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void DrawFocusRect(const RECT& rect);
  // Copies from another canvas with SRCCOPY.
  void CopyRect(const RECT& dest, TCanvas* source, const RECT& sourceRect);
  void Polygon(const POINT* points, int count);
  void Polyline(const POINT* points, int count);
  void Ellipse(const RECT& rect);
  COLORREF Pixel(int x, int y);
  void SetPixel(int x, int y, TColor color);

  // The platform's frame controls (DFC_/DFCS_ values) and 3-D edges (EDGE_,
  // BF_ values; rect shrinks to the inside when BF_ADJUST is given).
  void DrawFrameControl(const RECT& rect, UINT type, UINT state);
  void DrawEdge(RECT& rect, UINT edge, UINT flags);
  // One line of text in rect, cut with "..." at the end when it does not fit;
  // align: DT_LEFT, DT_CENTER or DT_RIGHT, vertically centred.
  void TextRectEllipsis(const RECT& rect, const WideString& text, UINT align = DT_LEFT);

  // Draws a bitmap at (x, y); a Transparent bitmap leaves its transparent
  // colour's pixels alone.
  void Draw(int x, int y, TBitmap* bitmap);
  void StretchDraw(const RECT& rect, TBitmap* bitmap);
  // Paints color wherever mask (a monochrome bitmap) is black.
  void FillMasked(int x, int y, int width, int height, HBITMAP mask, int maskX, int maskY, TColor color);

  // The bounds of what can be drawn now (logical coordinates).
  RECT ClipRect();

 protected:
  // Creates a device context when none is bound; the base has none to make.
  virtual void CreateHandle() {}
  // Selects the tools again; called when the handle changes.
  void Select();
  void DeselectHandles();

  HDC FHandle = nullptr;

 private:
  void RequireHandle();

  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  HGDIOBJ FOldFont = nullptr;
  HGDIOBJ FOldBrush = nullptr;
  HGDIOBJ FOldPen = nullptr;
};

// Narrows a canvas's clipping to a rectangle (or widens nothing: it only
// intersects) and puts the previous clipping back when it ends. Leaves the
// selected tools alone, unlike saving the whole device context.
class TCanvasClip {
 public:
  TCanvasClip(TCanvas* canvas, const RECT& rect);
  ~TCanvasClip();
  TCanvasClip(const TCanvasClip&) = delete;
  TCanvasClip& operator=(const TCanvasClip&) = delete;

 private:
  HDC FDC;
  HRGN FSaved = nullptr;  // null: there was no clipping region
};
