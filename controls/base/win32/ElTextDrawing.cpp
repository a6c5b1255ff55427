#include "controls/base/win32/ElTextDrawing.h"

#include "platform/win32/HandleOwners.h"

namespace {

RECT Shifted(RECT rect, int dx, int dy) {
  OffsetRect(&rect, dx, dy);
  return rect;
}

void DrawTextIn(HDC dc, const WideString& text, RECT rect, UINT flags, COLORREF colour) {
  SetTextColor(dc, colour);
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()), &rect, flags);
}

}  // namespace

void DrawTypedText(HDC dc, const WideString& text, const RECT& rect, UINT flags, COLORREF colour,
                   TElTextDrawType type) {
  TSavedDCState saved(dc);
  SetBkMode(dc, TRANSPARENT);
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  switch (type) {
    case tdtShadowed:
      DrawTextIn(dc, text, Shifted(rect, 1, 1), flags, shadow);
      break;
    case tdtRaised:
      DrawTextIn(dc, text, Shifted(rect, -1, -1), flags, highlight);
      DrawTextIn(dc, text, Shifted(rect, 1, 1), flags, shadow);
      break;
    case tdtNormal:
      break;
  }
  DrawTextIn(dc, text, rect, flags, colour);
}

void DrawEmbossedText(HDC dc, const WideString& text, const RECT& rect, UINT flags) {
  TSavedDCState saved(dc);
  SetBkMode(dc, TRANSPARENT);
  DrawTextIn(dc, text, Shifted(rect, 1, 1), flags, GetSysColor(COLOR_BTNHIGHLIGHT));
  DrawTextIn(dc, text, rect, flags, GetSysColor(COLOR_BTNSHADOW));
}

bool IsAccelerator(char16_t ch, const WideString& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    const auto upper = [](char16_t c) {
      return static_cast<char16_t>(reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(
          static_cast<UINT_PTR>(c)))));
    };
    return upper(caption[i + 1]) == upper(ch);
  }
  return false;
}
