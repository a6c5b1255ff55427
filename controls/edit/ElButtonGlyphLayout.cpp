#include "controls/edit/ElButtonGlyphLayout.h"

#include <algorithm>

namespace {

// value * numerator / denominator, rounded to the nearest pixel.
int Proportion(int value, int numerator, int denominator) {
  const long long scaled = static_cast<long long>(value) * numerator + denominator / 2;
  return static_cast<int>(scaled / denominator);
}

TElLayoutSize ShrinkToHeight(TElLayoutSize size, int height) {
  height = std::max(0, height);
  return {Proportion(size.Width, height, size.Height), height};
}

TElLayoutSize ShrinkToWidth(TElLayoutSize size, int width) {
  width = std::max(0, width);
  return {width, Proportion(size.Height, width, size.Width)};
}

TElLayoutSize OrNothing(TElLayoutSize size) { return size.Empty() ? TElLayoutSize{} : size; }

bool Horizontal(TElButtonLayout layout) { return layout == blGlyphLeft || layout == blGlyphRight; }

int Along(TElLayoutSize size, bool horizontal) { return horizontal ? size.Width : size.Height; }
int Across(TElLayoutSize size, bool horizontal) { return horizontal ? size.Height : size.Width; }

// Margin and spacing with the -1 rules applied; a content larger than the
// client gets no negative gaps, so the picture stays in view and the caption
// is cut at the far side instead.
void ResolveGaps(int client, int picture, int caption, int& margin, int& spacing) {
  if (margin == -1 && spacing == -1) {
    margin = spacing = std::max(0, (client - picture - caption) / 3);
  } else if (margin == -1) {
    margin = std::max(0, (client - picture - spacing - caption) / 2);
  } else if (spacing == -1) {
    spacing = std::max(0, (client - margin - picture - caption) / 2);
  }
}

TElLayoutRect Place(bool horizontal, int along, int across, TElLayoutSize size) {
  if (horizontal) return {along, across, along + size.Width, across + size.Height};
  return {across, along, across + size.Width, along + size.Height};
}

TElLayoutRect ClipTo(TElLayoutRect rect, TElLayoutSize client) {
  rect.Left = std::clamp(rect.Left, 0, client.Width);
  rect.Right = std::clamp(rect.Right, rect.Left, client.Width);
  rect.Top = std::clamp(rect.Top, 0, client.Height);
  rect.Bottom = std::clamp(rect.Bottom, rect.Top, client.Height);
  return rect;
}

TElLayoutRect Moved(TElLayoutRect rect, int dx, int dy) {
  return {rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
}

}  // namespace

TElLayoutSize FitPicture(TElLayoutSize picture, TElLayoutSize client) {
  if (picture.Empty()) return {};
  if (picture.Height > client.Height) picture = ShrinkToHeight(picture, client.Height - 2);
  if (picture.Width > client.Width && picture.Width > 0) picture = ShrinkToWidth(picture, client.Width - 2);
  return picture;
}

TElButtonLayoutResult CalcButtonLayout(const TElButtonLayoutInput& input) {
  const TElLayoutSize client{std::max(0, input.Content.Width() - input.ArrowWidth),
                             std::max(0, input.Content.Height())};
  TElButtonLayoutResult result;
  const TElLayoutSize natural = OrNothing(input.Picture);
  const TElLayoutSize picture = FitPicture(natural, client);
  result.Scaled = !(picture == natural);
  const TElLayoutSize caption = OrNothing(input.Caption);

  const bool horizontal = Horizontal(input.Layout);
  const int clientAlong = Along(client, horizontal);
  const int pictureAlong = Along(picture, horizontal);
  const int captionAlong = Along(caption, horizontal);
  int margin = input.Margin;
  int spacing = picture.Empty() || caption.Empty() ? 0 : input.Spacing;
  ResolveGaps(clientAlong, pictureAlong, captionAlong, margin, spacing);

  int pictureAt;
  int captionAt;
  if (input.Layout == blGlyphLeft || input.Layout == blGlyphTop) {
    pictureAt = margin;
    captionAt = margin + pictureAlong + spacing;
  } else {
    pictureAt = clientAlong - margin - pictureAlong;
    captionAt = pictureAt - spacing - captionAlong;
  }
  const int clientAcross = Across(client, horizontal);
  const TElLayoutRect pictureRect =
      Place(horizontal, pictureAt, (clientAcross - Across(picture, horizontal)) / 2, picture);
  const TElLayoutRect captionRect =
      Place(horizontal, captionAt, (clientAcross - Across(caption, horizontal)) / 2, caption);

  const int dx = input.Content.Left + input.OffsetX;
  const int dy = input.Content.Top + input.OffsetY;
  result.Picture = Moved(pictureRect, dx, dy);
  result.Caption = Moved(ClipTo(captionRect, client), dx, dy);
  return result;
}

TElLayoutSize CalcButtonSize(const TElButtonMeasureInput& input) {
  TElLayoutSize picture = OrNothing(input.Picture);
  if (input.LimitHeight > 0 && !picture.Empty() && picture.Height > input.LimitHeight - 2)
    picture = ShrinkToHeight(picture, input.LimitHeight - 2);
  const TElLayoutSize caption = OrNothing(input.Caption);
  int spacing = input.Spacing == -1 ? 2 : input.Spacing;
  if (picture.Empty() || caption.Empty()) spacing = 0;
  const int margin = input.Margin == -1 ? 2 : input.Margin;

  if (Horizontal(input.Layout)) {
    return {caption.Width + picture.Width + 2 * margin + spacing + input.ArrowWidth,
            2 * margin + std::max(caption.Height, picture.Height)};
  }
  return {2 * margin + std::max(caption.Width, picture.Width) + input.ArrowWidth,
          caption.Height + picture.Height + 2 * margin + spacing};
}
