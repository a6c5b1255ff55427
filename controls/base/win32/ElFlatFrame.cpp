#include "controls/base/win32/ElFlatFrame.h"

#include "platform/win32/HandleOwners.h"

namespace {

// One pixel ring: the top and left lines in lead, the bottom and right in
// trail; rect shrinks by the sides drawn.
void Ring(HDC dc, RECT& rect, TElBorderSides sides, TColor lead, TColor trail) {
  TGdiObject<HBRUSH> leadBrush(CreateSolidBrush(ColorToRGB(lead)));
  TGdiObject<HBRUSH> trailBrush(CreateSolidBrush(ColorToRGB(trail)));
  const RECT r = rect;
  if (sides & ebsTop) {
    const RECT line{r.left, r.top, r.right, r.top + 1};
    FillRect(dc, &line, leadBrush.Get());
    ++rect.top;
  }
  if (sides & ebsLeft) {
    const RECT line{r.left, r.top, r.left + 1, r.bottom};
    FillRect(dc, &line, leadBrush.Get());
    ++rect.left;
  }
  if (sides & ebsBottom) {
    // The trailing lines overlap the leading ones at the two far corners,
    // as the platform's edges do.
    const RECT line{r.left + ((sides & ebsLeft) ? 1 : 0), r.bottom - 1, r.right, r.bottom};
    FillRect(dc, &line, trailBrush.Get());
    --rect.bottom;
  }
  if (sides & ebsRight) {
    const RECT line{r.right - 1, r.top + ((sides & ebsTop) ? 1 : 0), r.right, r.bottom};
    FillRect(dc, &line, trailBrush.Get());
    --rect.right;
  }
}

struct TRings {
  TColor outerLead, outerTrail, innerLead, innerTrail;
};

TRings RingsOf(const TElFlatFrame& f) {
  const TElFlatFrameColors& c = f.colors;
  const TColor bk = f.background;
  // A disabled control's line shows in the shadow colour.
  const TColor line = f.enabled ? f.lineColor : c.shadow;
  switch (f.type) {
    case fbtFlat: return {c.shadow, c.shadow, bk, bk};
    case fbtSunken: return {c.shadow, c.highlight, c.dkShadow, c.face};
    case fbtSunkenInner: return {bk, bk, c.shadow, c.highlight};
    case fbtSunkenOuter: return {c.shadow, c.highlight, bk, bk};
    case fbtRaised: return {c.face, c.dkShadow, c.highlight, c.shadow};
    case fbtRaisedInner: return {bk, bk, c.highlight, c.shadow};
    case fbtRaisedOuter: return {c.highlight, c.shadow, bk, bk};
    case fbtBump: return {c.highlight, c.shadow, c.shadow, c.highlight};
    case fbtBigBump: return {c.highlight, c.dkShadow, c.dkShadow, c.highlight};
    case fbtEtched: return {c.shadow, c.highlight, c.highlight, c.shadow};
    case fbtFramed: return {c.shadow, c.shadow, c.highlight, c.highlight};
    case fbtLine: return {c.dkShadow, c.dkShadow, bk, bk};
    case fbtLineBorder: return {line, line, c.window, c.window};
    case fbtColorLineBorder:
      // Active: a doubled line, so the change of state shows without a colour change.
      return f.active ? TRings{line, line, line, line} : TRings{line, line, bk, bk};
    case fbtNone:
    default: return {bk, bk, bk, bk};
  }
}

}  // namespace

void DrawElFlatFrame(HDC dc, RECT& rect, const TElFlatFrame& frame) {
  const TRings rings = RingsOf(frame);
  Ring(dc, rect, frame.sides, rings.outerLead, rings.outerTrail);
  Ring(dc, rect, frame.sides, rings.innerLead, rings.innerTrail);
}

RECT ElBorderRoom(bool ctl3D, bool ownFrame, TElBorderSides sides) {
  const int across = GetSystemMetrics(ctl3D ? SM_CXEDGE : SM_CXBORDER);
  const int down = GetSystemMetrics(ctl3D ? SM_CYEDGE : SM_CYBORDER);
  const auto side = [ownFrame, sides](TElBorderSide which, int metric) {
    const bool present = (sides & which) != 0;
    if (ownFrame) return present ? metric : 0;
    return present ? 0 : -metric;
  };
  return RECT{side(ebsLeft, across), side(ebsTop, down), side(ebsRight, across), side(ebsBottom, down)};
}

void ShrinkByBorderRoom(RECT& client, const RECT& room) {
  client.left += room.left;
  client.top += room.top;
  client.right -= room.right;
  client.bottom -= room.bottom;
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
}
