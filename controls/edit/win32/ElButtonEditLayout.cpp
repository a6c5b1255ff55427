#include "controls/edit/win32/ElButtonEditLayout.h"

#include <algorithm>

TElButtonEditLayout LayOutButtonEdit(const TElButtonEditLayoutInput& in) {
  const int b = in.Inset;
  const int w = in.ClientWidth;
  const int h = in.ClientHeight;
  TElButtonEditLayout out;
  out.Text = TElBoxRect{b, b, w - b, h - b};
  if (in.MainVisible) {
    // A multi-line edit keeps its button a near-square in the top right corner.
    const int bottom = in.Multiline ? std::min(in.MainWidth, h - b) : h - b;
    out.Main = TElBoxRect{w - in.MainWidth - b, b, w - b, bottom};
    out.Text.Right -= in.MainWidth;
  }
  if (in.AltVisible) {
    const int bottom = in.Multiline ? std::min(in.AltWidth, h - b) : h - b;
    if (in.AltPosition == taLeftJustify) {
      out.Alt = TElBoxRect{b, b, b + in.AltWidth, bottom};
      out.Text.Left += in.AltWidth;
    } else {
      const int right = in.MainVisible ? w - in.MainWidth - b : w - b;
      out.Alt = TElBoxRect{right - in.AltWidth, b, right, bottom};
      out.Text.Right -= in.AltWidth;
    }
  }
  return out;
}
