#include "controls/edit/win32/ElButtonGlyph.h"

#include <algorithm>

#include "controls/base/win32/ElHTMLRender.h"
#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/edit/win32/ElGlyphCache.h"
#include "controls/base/win32/ElGlyphDrawing.h"
#include "framework/win32/ImageList.h"

namespace {

LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

bool MultiLine(const WideString& caption) { return caption.find(u"\r\n") != WideString::npos; }

UINT CaptionFlags(const WideString& caption, const TElButtonDrawSettings& settings) {
  UINT flags = MultiLine(caption) ? 0 : DT_SINGLELINE;
  if (!settings.ShortcutsEnabled) flags |= DT_NOPREFIX;
  return flags;
}

TElLayoutRect ToLayout(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const TElLayoutRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

struct TIconParts {
  TGdiObject<HBITMAP> Colour;
  TGdiObject<HBITMAP> Mask;  // 1 where see-through; for monochrome icons the AND half on top
  int Width = 0;
  int Height = 0;
};

TIconParts IconParts(HICON icon) {
  TIconParts parts;
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return parts;
  parts.Colour.Reset(info.hbmColor);
  parts.Mask.Reset(info.hbmMask);
  BITMAP bitmap{};
  if (GetObjectW(info.hbmMask, sizeof bitmap, &bitmap) != 0) {
    parts.Width = bitmap.bmWidth;
    parts.Height = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
  }
  return parts;
}

}  // namespace

TElButtonGlyph::TElButtonGlyph()
    : FGlyph(std::make_unique<TBitmap>()), FCache(&TElGlyphCache::Join()) {
  std::fill(std::begin(FStates), std::end(FStates), -1);
}

TElButtonGlyph::~TElButtonGlyph() {
  ReleaseImages();
  TElGlyphCache::Leave();
}

void TElButtonGlyph::SetGlyph(TBitmap* source) {
  if (source == nullptr || source->Width() == 0 || source->Height() == 0) {
    FGlyph->SetSize(0, 0);
  } else {
    FGlyph->SetSize(source->Width(), source->Height());
    BitBlt(FGlyph->Canvas()->Handle(), 0, 0, source->Width(), source->Height(),
           source->Canvas()->Handle(), 0, 0, SRCCOPY);
  }
  GlyphChanged();
}

void TElButtonGlyph::GlyphChanged() { Changed(); }

void TElButtonGlyph::SetNumGlyphs(int value) {
  value = std::clamp(value, 1, 4);
  if (value == FNumGlyphs) return;
  FNumGlyphs = value;
  Changed();
}

void TElButtonGlyph::SetIcon(HICON icon) {
  FIcon.Reset(icon != nullptr ? CopyIcon(icon) : nullptr);
  const TIconParts parts = IconParts(FIcon.Get());
  FIconSize = {parts.Width, parts.Height};
  Changed();
}

void TElButtonGlyph::SetUseIcon(bool value) {
  if (value == FUseIcon) return;
  FUseIcon = value;
  Changed();
}

void TElButtonGlyph::SetImageList(TImageList* value) {
  if (value == FImageList) return;
  FImageList = value;
  Changed();
}

void TElButtonGlyph::SetAlphaImageList(TImageList* value) {
  if (value == FAlphaImageList) return;
  FAlphaImageList = value;
  Changed();
}

void TElButtonGlyph::SetImageIndex(int value) {
  if (value < -1) value = -1;
  if (value == FImageIndex) return;
  FImageIndex = value;
  Changed();
}

void TElButtonGlyph::SetUseImageList(bool value) {
  if (value == FUseImageList) return;
  FUseImageList = value;
  Changed();
}

void TElButtonGlyph::Changed() {
  ReleaseImages();
  if (OnChange) OnChange(this);
}

void TElButtonGlyph::ReleaseImages() {
  if (FCacheList == nullptr) return;
  for (int& index : FStates) {
    FCacheList->Delete(index);
    index = -1;
  }
  FCache->Return(FCacheList);
  FCacheList = nullptr;
}

int TElButtonGlyph::CreateButtonGlyph(TElButtonState state) {
  if (UsesImageList() || UsesIcon() || FGlyph->Height() == 0 || FrameWidth() == 0) return -1;
  int& slot = FStates[state];
  if (slot >= 0) return slot;

  const int width = FrameWidth();
  const int height = FGlyph->Height();
  // Frames are in state order; a state without its own frame shows the up frame.
  const int frame = state < FNumGlyphs ? state : 0;
  const bool embossed = state == ebsDisabled && FNumGlyphs < 2;

  TGdiObject<HBITMAP> image = ScreenBitmap(width, height);
  COLORREF transparent;
  {
    TCreatedDC dc = MemoryDC();
    TSelectedObject selected(dc.Get(), image.Get());
    const RECT all{0, 0, width, height};
    TGdiObject<HBRUSH> face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    FillRect(dc.Get(), &all, face.Get());
    BitBlt(dc.Get(), 0, 0, width, height, FGlyph->Canvas()->Handle(), frame * width, 0, SRCCOPY);
    transparent = GetPixel(dc.Get(), 0, height - 1);
    if (embossed) {
      TGdiObject<HBITMAP> shape = MakeShapeMask(dc.Get(), width, height, transparent);
      TCreatedDC maskDC = MemoryDC();
      TSelectedObject selectedShape(maskDC.Get(), shape.Get());
      TGdiObject<HBRUSH> dark(CreateSolidBrush(GetSysColor(COLOR_3DDKSHADOW)));
      FillRect(dc.Get(), &all, dark.Get());
      PaintEmbossedShape(dc.Get(), all, maskDC.Get(), width, height);
      transparent = GetPixel(dc.Get(), 0, height - 1);
    }
  }
  if (FCacheList == nullptr) FCacheList = FCache->ListFor(width, height);
  slot = FCacheList->Add(image.Get(), transparent);
  return slot;
}

TElLayoutSize TElButtonGlyph::PictureSize(const TElButtonDrawSettings& settings) const {
  if (!settings.ShowGlyph) return {};
  if (UsesImageList()) {
    if (FImageIndex < 0 || FImageIndex >= FImageList->Count()) return {};
    return {FImageList->Width(), FImageList->Height()};
  }
  if (UsesIcon()) return FIconSize;
  return {FrameWidth(), FGlyph->Height()};
}

TElLayoutSize TElButtonGlyph::CaptionSize(TCanvas* canvas, const TElButtonDrawSettings& settings,
                                          const WideString& caption) const {
  if (!settings.ShowText || caption.empty()) return {};
  if (settings.HTML != nullptr) {
    settings.HTML->PrepareText(caption, 0, false);
    const SIZE size = settings.HTML->TextSize();
    return {size.cx, size.cy};
  }
  if (settings.Theme != nullptr) {
    RECT extent{0, 0, 0, 0};
    if (SUCCEEDED(TElThemeLibrary::GetThemeTextExtent(settings.Theme, canvas->Handle(), settings.ThemePart,
                                                       settings.ThemeState, W(caption),
                                                       static_cast<int>(caption.size()),
                                                       CaptionFlags(caption, settings), nullptr, &extent)))
      return {extent.right - extent.left, extent.bottom - extent.top};
  }
  RECT rect{0, 0, 0, 0};
  DrawTextW(canvas->Handle(), W(caption), static_cast<int>(caption.size()), &rect,
            DT_CALCRECT | CaptionFlags(caption, settings));
  return {rect.right - rect.left, rect.bottom - rect.top};
}

TElButtonLayoutResult TElButtonGlyph::CalcButtonLayout(TCanvas* canvas, const RECT& content,
                                                       const TElButtonDrawSettings& settings,
                                                       TElButtonLayout layout, int margin,
                                                       int spacing, const WideString& caption,
                                                       POINT offset) {
  TElButtonLayoutInput input;
  input.Layout = layout;
  input.Content = ToLayout(content);
  input.ArrowWidth = settings.ArrowWidth;
  input.Picture = PictureSize(settings);
  input.Caption = CaptionSize(canvas, settings, caption);
  input.Margin = margin;
  input.Spacing = spacing;
  input.OffsetX = offset.x;
  input.OffsetY = offset.y;
  const TElButtonLayoutResult result = ::CalcButtonLayout(input);
  FScaled = result.Scaled;
  FScaledSize = FScaled ? SIZE{result.Picture.Width(), result.Picture.Height()} : SIZE{0, 0};
  return result;
}

RECT TElButtonGlyph::Draw(TCanvas* canvas, const RECT& content,
                          const TElButtonDrawSettings& settings, TElButtonLayout layout,
                          int margin, int spacing, TElButtonState state,
                          const WideString& caption, POINT offset) {
  const TElButtonLayoutResult layoutResult =
      CalcButtonLayout(canvas, content, settings, layout, margin, spacing, caption, offset);
  const RECT pictureRect = ToRect(layoutResult.Picture);
  const RECT captionRect = ToRect(layoutResult.Caption);
  HDC dc = canvas->Handle();
  TSavedDCState saved(dc);
  // Nothing of the content spills onto the frame or the arrow part.
  IntersectClipRect(dc, content.left, content.top, content.right - settings.ArrowWidth,
                    content.bottom);
  if (layoutResult.Picture.Width() > 0 && layoutResult.Picture.Height() > 0)
    DrawPicture(dc, pictureRect, state);
  if (settings.ShowText && !caption.empty()) DrawCaption(canvas, captionRect, settings, state, caption);
  return captionRect;
}

void TElButtonGlyph::DrawPicture(HDC dc, const RECT& dest, TElButtonState state) {
  if (UsesImageList()) {
    const bool embossed = state == ebsDisabled && !FImagesLookDisabled;
    DrawListImage(dc, dest, FImageList, FImageIndex, !embossed, FAlphaImageList);
    return;
  }
  if (UsesIcon()) {
    if (state != ebsDisabled) {
      DrawIconEx(dc, dest.left, dest.top, FIcon.Get(), dest.right - dest.left,
                 dest.bottom - dest.top, 0, nullptr, DI_NORMAL);
      return;
    }
    const TIconParts parts = IconParts(FIcon.Get());
    TCreatedDC maskDC = MemoryDC();
    TSelectedObject selected(maskDC.Get(), parts.Mask.Get());
    PaintEmbossedShape(dc, dest, maskDC.Get(), parts.Width, parts.Height);
    return;
  }
  const int index = CreateButtonGlyph(state);
  if (index >= 0) FCacheList->Draw(index, dc, dest);
}

void TElButtonGlyph::DrawCaption(TCanvas* canvas, const RECT& rect,
                                 const TElButtonDrawSettings& settings, TElButtonState state,
                                 const WideString& caption) {
  const UINT flags = DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS | CaptionFlags(caption, settings);
  if (settings.HTML != nullptr) {
    // The caption rectangle has the text's own size: its corner is the origin.
    const bool embossed = state == ebsDisabled && settings.ChangeDisabledText;
    settings.HTML->SetDefaultColor(embossed ? clBtnShadow : canvas->Font()->Color());
    settings.HTML->SetDefaultBkColor(clNone);
    settings.HTML->PrepareText(caption, 0, false);
    settings.HTML->DrawTextInRect(canvas->Handle(), rect);
    return;
  }
  if (settings.Theme != nullptr) {
    DrawThemedCaption(canvas, rect, settings, caption);
    return;
  }
  if (state == ebsDisabled && settings.ChangeDisabledText) {
    DrawEmbossedText(canvas->Handle(), caption, rect, flags);
    return;
  }
  DrawTypedText(canvas->Handle(), caption, rect, flags, ColorToRGB(canvas->Font()->Color()),
                settings.TextDrawType);
}

void TElButtonGlyph::DrawThemedCaption(TCanvas* canvas, const RECT& rect,
                                       const TElButtonDrawSettings& settings, const WideString& caption) {
  HDC dc = canvas->Handle();
  TSavedDCState saved(dc);
  SetBkMode(dc, TRANSPARENT);
  UINT flags = CaptionFlags(caption, settings);
  RECT area = rect;
  if (MultiLine(caption)) {
    // Lines keep the button's alignment; the block is centred vertically.
    flags |= settings.Alignment == taLeftJustify ? DT_LEFT : settings.Alignment == taRightJustify ? DT_RIGHT : DT_CENTER;
    RECT measured = rect;
    DrawTextW(dc, W(caption), static_cast<int>(caption.size()), &measured, flags | DT_CALCRECT);
    const int height = measured.bottom - measured.top;
    area.top = rect.top + (rect.bottom - rect.top - height) / 2;
    area.bottom = area.top + height;
  } else {
    flags |= DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS;
  }
  TElThemeLibrary::DrawThemeText(settings.Theme, dc, settings.ThemePart, settings.ThemeState, W(caption),
                                 static_cast<int>(caption.size()), flags, 0, &area);
}

SIZE TElButtonGlyph::CalcButtonWidth(TCanvas* canvas, const TElButtonDrawSettings& settings,
                                     TElButtonLayout layout, int margin, int spacing,
                                     const WideString& caption, int height) {
  TElButtonMeasureInput input;
  input.Layout = layout;
  input.Picture = PictureSize(settings);
  input.Caption = CaptionSize(canvas, settings, caption);
  input.Margin = margin;
  input.Spacing = spacing;
  input.ArrowWidth = settings.ArrowWidth;
  input.LimitHeight = height;
  const TElLayoutSize size = CalcButtonSize(input);
  return {size.Width, size.Height};
}
