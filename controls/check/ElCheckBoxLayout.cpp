#include "controls/check/ElCheckBoxLayout.h"

#include <algorithm>

namespace {
constexpr TElLayoutSize kStandardBox{13, 13};
}

TElLayoutSize CheckBoxBoxSize(const TElCheckBoxSizeInput& input) {
  if (input.Themed) return kStandardBox;
  if (input.UseCustomGlyphs && !input.GlyphStrip.Empty())
    return {input.GlyphStrip.Width / 6, input.GlyphStrip.Height};
  if (input.UseImageList && !input.ImageSize.Empty()) return input.ImageSize;
  return kStandardBox;
}

TElLayoutSize CalcCheckAutoSize(const TElCheckAutoSizeInput& input) {
  const int margin = std::max(0, input.CheckMargin);
  const int width = input.Box.Width + margin / 2 + margin + input.Text.Width + 2;
  int height = std::max(input.Box.Height + 4, input.Text.Height + margin / 2);
  if (input.TextEffect) height += 2;
  return {width, height};
}

TElCheckPaintLayout CalcCheckPaintLayout(const TElCheckPaintInput& input) {
  const TElLayoutSize client = input.Client;
  const TElLayoutSize box = input.Box;
  const int centre = input.CentreHeight;
  TElCheckPaintLayout result;

  int boxTop = centre / 2 - box.Height / 2;
  if (input.Themed && input.BoxRight) boxTop = (centre - box.Height) / 2 + centre % 2;
  const int boxLeft = input.BoxRight ? client.Width - box.Width : 0;
  result.Box = {boxLeft, boxTop, boxLeft + box.Width, boxTop + box.Height};

  const int textTop = (client.Height - input.Text.Height) / 2;
  const int used = box.Width + input.CheckMargin;
  TElLayoutRect area{0, textTop, client.Width, textTop + input.Text.Height};
  if (input.BoxRight)
    area.Right = std::max(0, client.Width - used);
  else
    area.Left = std::min(client.Width, used);
  result.CaptionArea = area;

  const int textRight = area.Left + std::min(input.Text.Width, std::max(0, area.Width()));
  result.Focus = {area.Left - 1, area.Top - 1, textRight + 1, area.Bottom + 1};
  return result;
}
