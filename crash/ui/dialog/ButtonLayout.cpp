#include "crash/ui/dialog/ButtonLayout.h"

#include <algorithm>

namespace {

constexpr int kMinSimpleButtonWidth = 79;
constexpr int kSimpleButtonHeight = 23;

bool IsAction(int code) { return code < dbContinue; }

void PlaceHeader(TDialogLayout& layout, int textLeft, int textHeight) {
  if (textLeft > kDialogMargin) layout.Picture = {kDialogMargin, kDialogMargin, kPictureSize, kPictureSize};
  layout.Text = {textLeft, kDialogMargin, layout.ClientWidth - textLeft - kDialogMargin, textHeight};
}

int HeaderBottom(int textLeft, int textHeight) {
  const int picture = textLeft > kDialogMargin ? kPictureSize : 0;
  return kDialogMargin + std::max(textHeight, picture) + kDialogMargin;
}

}  // namespace

TDialogLayout LayOutDialog(const TDialogLayoutInput& input) {
  TDialogLayout layout;
  int actions = 0, finals = 0, actionsWidth = 0, finalsWidth = 0, widestFinal = 0;
  for (int code = 0; code < kDialogButtonCount; ++code) {
    const int width = input.ButtonWidths[code];
    if (width <= 0) continue;
    if (IsAction(code)) {
      actionsWidth += (actions++ > 0 ? kButtonGap : 0) + width;
    } else {
      finalsWidth += (finals++ > 0 ? kButtonGap : 0) + width;
      widestFinal = std::max(widestFinal, width);
    }
  }
  layout.Stacked = finals > 1 && actions >= 1;
  const int rightPart = layout.Stacked ? widestFinal : finalsWidth;
  const int between = actions > 0 && finals > 0 ? 2 * kButtonGap : 0;
  const int needed = kDialogMargin + actionsWidth + between + rightPart + kDialogMargin;
  layout.ClientWidth = std::max(input.MinWidth, needed);
  if (input.MaxWidth > 0) layout.ClientWidth = std::min(layout.ClientWidth, input.MaxWidth);
  PlaceHeader(layout, input.TextLeft, input.TextHeight);

  const int row = HeaderBottom(input.TextLeft, input.TextHeight);
  const int height = input.ButtonHeight;
  int x = kDialogMargin;
  for (int code = dbSend; code < dbContinue; ++code) {
    if (input.ButtonWidths[code] <= 0) continue;
    layout.Buttons[code] = {x, row, input.ButtonWidths[code], height};
    x += input.ButtonWidths[code] + kButtonGap;
  }
  int rows = 1;
  if (layout.Stacked) {
    int y = row;
    for (int code = dbContinue; code < kDialogButtonCount; ++code) {
      if (input.ButtonWidths[code] <= 0) continue;
      layout.Buttons[code] = {layout.ClientWidth - kDialogMargin - widestFinal, y, widestFinal, height};
      y += height + kButtonGap / 2;
    }
    rows = finals;
  } else {
    int right = layout.ClientWidth - kDialogMargin;
    for (int code = kDialogButtonCount - 1; code >= dbContinue; --code) {
      if (input.ButtonWidths[code] <= 0) continue;
      right -= input.ButtonWidths[code];
      layout.Buttons[code] = {right, row, input.ButtonWidths[code], height};
      right -= kButtonGap;
    }
  }
  layout.ClientHeight = row + rows * height + (rows - 1) * (kButtonGap / 2) + kDialogMargin;
  return layout;
}

TDialogLayout LayOutSimpleBox(const TSimpleBoxInput& input) {
  TDialogLayout layout;
  const int ok = input.OkWidth > 0 ? std::max(input.OkWidth, kMinSimpleButtonWidth) : 0;
  const int details = input.DetailsWidth > 0 ? std::max(input.DetailsWidth, kMinSimpleButtonWidth) : 0;
  const int buttons = ok + details + (ok > 0 && details > 0 ? kButtonGap : 0);
  layout.ClientWidth =
      std::max(input.TextLeft + input.TextWidth + kDialogMargin, kDialogMargin + buttons + kDialogMargin);
  PlaceHeader(layout, input.TextLeft, input.TextHeight);
  const int row = HeaderBottom(input.TextLeft, input.TextHeight);
  int right = layout.ClientWidth - kDialogMargin;
  if (details > 0) {
    right -= details;
    layout.Buttons[dbShow] = {right, row, details, kSimpleButtonHeight};
    right -= kButtonGap;
  }
  if (ok > 0) layout.Buttons[dbContinue] = {right - ok, row, ok, kSimpleButtonHeight};
  layout.ClientHeight = row + kSimpleButtonHeight + kDialogMargin;
  return layout;
}
