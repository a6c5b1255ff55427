#include "controls/base/win32/ElHTMLRender.h"

namespace {
LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }
}  // namespace

// Measures with the renderer's fonts on a memory device context.
class TElHTMLGdiMeasurer : public IElHTMLMeasurer {
 public:
  explicit TElHTMLGdiMeasurer(TElHTMLRender& render) : FRender(render), FDC(CreateCompatibleDC(nullptr)) {}

  TElHTMLExtent MeasureText(const TElHTMLStyle& style, const std::u16string& text) override {
    TElHTMLExtent extent;
    if (!FDC) return extent;
    TSelectedObject font(FDC.Get(), FRender.FontFor(style));
    TEXTMETRICW metrics{};
    GetTextMetricsW(FDC.Get(), &metrics);
    extent.Height = metrics.tmHeight;
    extent.Ascent = metrics.tmAscent;
    if (!text.empty()) {
      SIZE size{};
      GetTextExtentPoint32W(FDC.Get(), W(text), static_cast<int>(text.size()), &size);
      extent.Width = size.cx;
    }
    return extent;
  }

  TElHTMLExtent MeasureImage(const std::u16string& src) override {
    TElHTMLExtent extent;
    if (TBitmap* image = FRender.ImageFor(src)) {
      extent.Width = image->Width();
      extent.Height = extent.Ascent = image->Height();
    }
    return extent;
  }

 private:
  TElHTMLRender& FRender;
  TCreatedDC FDC;
};

void TElHTMLRender::SetDefaultStyle(TFontStyles value) {
  if (value != FDefaultStyle) DropFonts();
  FDefaultStyle = value;
}

void TElHTMLRender::SetDefaultHeight(int value) {
  if (value != FDefaultHeight) DropFonts();
  FDefaultHeight = value;
}

void TElHTMLRender::SetDefaultFont(const WideString& value) {
  if (value != FDefaultFont) DropFonts();
  FDefaultFont = value;
}

void TElHTMLRender::SetCharset(BYTE value) {
  if (value != FCharset) DropFonts();
  FCharset = value;
}

void TElHTMLRender::SetLinkStyle(TFontStyles value) {
  if (value != FLinkStyle) DropFonts();
  FLinkStyle = value;
}

void TElHTMLRender::SetDefaultsFrom(TFont* font) {
  SetDefaultColor(font->Color());
  SetDefaultStyle(font->Style());
  SetDefaultHeight(font->Height());
  SetDefaultFont(font->Name());
  SetCharset(font->Charset());
}

void TElHTMLRender::PrepareText(const WideString& text, int maxWidth, bool wordWrap) {
  FMarkup = ParseElHTML(text);
  TElHTMLGdiMeasurer measurer(*this);
  FLayout = LayoutElHTML(FMarkup, measurer, maxWidth, wordWrap);
}

HFONT TElHTMLRender::FontFor(const TElHTMLStyle& style) {
  unsigned char flags = FDefaultStyle;
  if (style.Flags & hsBold) flags |= fsBold;
  if (style.Flags & hsItalic) flags |= fsItalic;
  if (style.Flags & hsUnderline) flags |= fsUnderline;
  if (style.Flags & hsStrikeOut) flags |= fsStrikeOut;
  if (style.Link >= 0) flags |= FLinkStyle;
  const WideString& face = style.Face.empty() ? FDefaultFont : style.Face;
  int height = FDefaultHeight;
  if (style.Size > 0) {
    TWindowDC screen(nullptr);
    height = -MulDiv(style.Size, screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96, 72);
  }
  auto key = std::make_tuple(flags, height, face);
  auto found = FFonts.find(key);
  if (found != FFonts.end()) return found->second.Get();
  HFONT font = CreateStyledFont(face, height, flags, FCharset);
  FFonts.emplace(key, TGdiObject<HFONT>(font));
  return font;
}

TBitmap* TElHTMLRender::ImageFor(const WideString& src) {
  TBitmap* image = nullptr;
  if (OnImageNeeded) OnImageNeeded(FSender, src, image);
  return image;
}

COLORREF TElHTMLRender::ColorFor(const TElHTMLStyle& style) const {
  if (style.Color != ElHTMLDefaultColor) return ColorToRGB(style.Color);
  return ColorToRGB(style.Link >= 0 ? FLinkColor : FDefaultColor);
}

void TElHTMLRender::DrawText(HDC dc, POINT origin, const RECT& clip) {
  TSavedDCState saved(dc);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  const bool opaque = FDefaultBkColor != clNone;
  SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
  if (opaque) SetBkColor(dc, ColorToRGB(FDefaultBkColor));
  for (const TElHTMLLine& line : FLayout.Lines) {
    for (const TElHTMLItem& item : line.Items) {
      RECT box{origin.x + item.Left, origin.y + item.Top, origin.x + item.Left + item.Width,
               origin.y + item.Top + item.Height};
      if (item.Kind == hpImage) {
        TBitmap* image = ImageFor(item.Text);
        if (image == nullptr || image->Canvas() == nullptr) continue;
        StretchBlt(dc, box.left, box.top, item.Width, item.Height, image->Canvas()->Handle(), 0, 0,
                   image->Width(), image->Height(), SRCCOPY);
        continue;
      }
      TSelectedObject font(dc, FontFor(item.Style));
      SetTextColor(dc, ColorFor(item.Style));
      ExtTextOutW(dc, box.left, box.top, ETO_CLIPPED | (opaque ? ETO_OPAQUE : 0), &box, W(item.Text),
                  static_cast<UINT>(item.Text.size()), nullptr);
    }
  }
}

bool TElHTMLRender::IsCursorOverLink(POINT point, WideString& href) const {
  const int link = FLayout.LinkAt(point.x, point.y);
  if (link < 0 || link >= static_cast<int>(FMarkup.Links.size())) return false;
  href = FMarkup.Links[static_cast<size_t>(link)];
  return true;
}
