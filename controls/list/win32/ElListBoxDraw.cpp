// The list box's painting: every row from Items, the background and the
// row check boxes.
#include <vsstyle.h>

#include <algorithm>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/list/win32/ElListBox.h"
#include "framework/win32/BufferedPaint.h"
#include "platform/win32/HandleOwners.h"

namespace {

void Fill(HDC dc, const RECT& rect, TColor color) {
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(color)));
  FillRect(dc, &rect, brush.Get());
}

// color over rect at alpha (0 transparent, 255 opaque).
void Blend(HDC dc, const RECT& rect, TColor color, int alpha) {
  TCreatedDC memory(CreateCompatibleDC(dc));
  TGdiObject<HBITMAP> pixel(CreateCompatibleBitmap(dc, 1, 1));
  if (!memory || !pixel) return;
  TSelectedObject selected(memory.Get(), pixel.Get());
  ::SetPixel(memory.Get(), 0, 0, ColorToRGB(color));
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
  AlphaBlend(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory.Get(), 0, 0, 1, 1,
             blend);
}

int CheckBoxThemeState(TCheckBoxState state, bool enabled) {
  switch (state) {
    case cbChecked: return enabled ? CBS_CHECKEDNORMAL : CBS_CHECKEDDISABLED;
    case cbGrayed: return enabled ? CBS_MIXEDNORMAL : CBS_MIXEDDISABLED;
    default: return enabled ? CBS_UNCHECKEDNORMAL : CBS_UNCHECKEDDISABLED;
  }
}

}  // namespace

void TCustomElListBox::CNDrawItem(TMessage& message) {
  const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
  message.Result = TRUE;
  TCanvas* canvas = FItemCanvas.get();
  canvas->Brush()->SetColor(FColor);
  canvas->SetHandle(draw.hDC);
  try {
    const int index = static_cast<int>(draw.itemID);
    if (index < 0)
      Fill(draw.hDC, draw.rcItem, FColor);
    else
      DrawItem(index, draw.rcItem, draw.itemState);
    if (draw.itemState & ODS_FOCUS) ::DrawFocusRect(draw.hDC, &draw.rcItem);
  } catch (...) {
    canvas->SetHandle(nullptr);
    throw;
  }
  canvas->SetHandle(nullptr);
}

void TCustomElListBox::DrawBackground(HDC dc, const RECT& rect) {
  TBitmap* background = GetBackground();
  if (!FUseBackground || background == nullptr || background->Empty()) {
    Fill(dc, rect, FColor);
    return;
  }
  // Tiled from the client area's corner, so rows carry no seams of their own.
  TSavedDCState state(dc);
  IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  HDC source = background->Canvas()->Handle();
  const int w = background->Width();
  const int h = background->Height();
  for (int y = rect.top - rect.top % h; y < rect.bottom; y += h)
    for (int x = rect.left - rect.left % w; x < rect.right; x += w) BitBlt(dc, x, y, w, h, source, 0, 0, SRCCOPY);
}

void TCustomElListBox::DrawItem(int index, RECT rect, TOwnerDrawState state) {
  if (FStyle != lbStandard && OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  TCanvas* canvas = FItemCanvas.get();
  HDC dc = canvas->Handle();
  const COLORREF oldText = GetTextColor(dc);
  const COLORREF oldBack = GetBkColor(dc);
  const bool selected = (state & ODS_SELECTED) != 0;
  const bool focused = FocusedNow();
  const bool normalHighlight = selected && !FInvertSelection && !FTransparentSelection;
  TColor textColor = FFont->Color();

  if (!selected || FInvertSelection || FTransparentSelection) {
    if (!FTransparentSelection || (FUseBackground && !GetBackground()->Empty()))
      DrawBackground(dc, rect);
  }
  TColor selectColor = FColor;
  if (normalHighlight) {
    selectColor = focused ? FFocusedSelectColor : (FHideSelection ? FColor : FHideSelectColor);
    if (FHighlightAlphaLevel == 255)
      Fill(dc, rect, selectColor);
    else
      DrawBackground(dc, rect);
  }
  if (selected && FInvertSelection) InvertRect(dc, &rect);
  bool selectedFont = false;
  if (selected && !FTransparentSelection) {
    if (FUseSelectedFont) {
      canvas->Font()->Assign(FSelectedFont.get());
      selectedFont = true;
      textColor = FSelectedFont->Color();
    } else {
      textColor = focused ? FFocusedSelectTextColor : (FHideSelection ? FFont->Color() : FHideSelectTextColor);
    }
  }

  if (index < GetCount()) {
    RECT text = rect;
    const int rowHeight = rect.bottom - rect.top;
    if (FImages != nullptr) {
      const int image = ImageIndex(index);
      if (image != -1) FImages->Draw(canvas, rect.left + 1, rect.top + (rowHeight - FImages->Height()) / 2, image, Enabled());
      text.left += FImages->Width() + 3;
    }
    if (FShowCheckBox) {
      SIZE box{13, 13};
      const bool themed = IsThemeApplied();
      if (themed) {
        SIZE part{};
        if (SUCCEEDED(TElThemeLibrary::GetThemePartSize(Theme(), dc, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr,
                                                        TS_TRUE, &part)))
          box = part;
      }
      RECT boxRect;
      boxRect.left = FRightAlignedText ? text.right - 2 - box.cx : text.left + 2;
      boxRect.top = rect.top + (rowHeight - box.cy) / 2;
      boxRect.right = boxRect.left + box.cx;
      boxRect.bottom = boxRect.top + box.cy;
      const TCheckBoxState checkState = State(index);
      if (themed) {
        TElThemeLibrary::DrawThemeBackground(Theme(), dc, BP_CHECKBOX, CheckBoxThemeState(checkState, Enabled()),
                                             &boxRect, nullptr);
      } else {
        UINT flags = DFCS_BUTTONCHECK;
        if (checkState == cbChecked) flags |= DFCS_CHECKED;
        if (checkState == cbGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
        if (!Enabled()) flags |= DFCS_INACTIVE;
        DrawFrameControl(dc, &boxRect, DFC_BUTTON, flags);
      }
      if (FRightAlignedText)
        text.right = boxRect.left - 3;
      else
        text.left = boxRect.right + 3;
    }
    if (FRightAlignedText)
      text.left += 2;
    else
      text.right -= 2;
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (FRightAlignedText) flags |= DT_RTLREADING | DT_RIGHT;
    SetTextColor(dc, ColorToRGB(textColor));
    if (OnItemTextDraw)
      OnItemTextDraw(this, canvas, index, text, flags);
    else
      DoDrawText(this, canvas, FItems->Get(index), text, flags);
  }
  if (normalHighlight && FHighlightAlphaLevel < 255) Blend(dc, rect, selectColor, FHighlightAlphaLevel);
  if (selectedFont) canvas->Font()->Assign(FFont.get());
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

void TCustomElListBox::DoDrawText(TObject* /*sender*/, TCanvas* canvas, const WideString& text, RECT& rect,
                                  UINT flags) {
  HDC dc = canvas->Handle();
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()), &rect, flags);
}

void TCustomElListBox::WMEraseBkgnd(TMessage& message) {
  if (FUseBackground && !GetBackground()->Empty() && HandleAllocated()) {
    RECT client;
    GetClientRect(FHandle, &client);
    DrawBackground(reinterpret_cast<HDC>(message.WParam), client);
    message.Result = 1;
    return;
  }
  TElXPThemedControl::WMEraseBkgnd(message);
}

void TCustomElListBox::WMPaint(TMessage& message) {
  const bool background = FUseBackground && !GetBackground()->Empty();
  if (background) {
    // The tiles stay fixed to the window: a scrolled view is painted whole.
    const int top = TopIndex();
    if (top != FLastTopIndex) {
      FLastTopIndex = top;
      InvalidateRect(FHandle, nullptr, FALSE);
    }
  }
  if (message.WParam != 0) {
    PaintRows(reinterpret_cast<HDC>(message.WParam), background);
    return;
  }
  // Rows are drawn off screen and shown in one copy: drawing each row on the
  // window costs the display a request per part of it.
  const DWORD start = GetTickCount();
  {
    TPaintScope scope(FHandle);
    const PAINTSTRUCT& paint = scope.Paint();
    TBufferedPaint buffer(scope.Get(), paint.rcPaint);
    HDC target = buffer.DC();
    {
      TSavedDCState state(target);
      IntersectClipRect(target, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom);
      if (paint.fErase) Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target));
    }
    PaintRows(target, background);
    buffer.Finish();
  }
  if (FFlat && !IsThemeApplied()) DrawFlatBorder();
  FPaintCost = GetTickCount() - start;
}

void TCustomElListBox::PaintRows(HDC dc, bool background) {
  TMessage native{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(native);
  if (background && GetCount() == 0) {
    // The native list paints nothing at all when it is empty.
    RECT client;
    GetClientRect(FHandle, &client);
    DrawBackground(dc, client);
  }
}
