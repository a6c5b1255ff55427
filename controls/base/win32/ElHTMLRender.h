#pragma once
// Draws the control set's HTML-formatted texts (markup: ElHTMLMarkup.h) with
// GDI. A control sets the defaults of its text (colour, background, font,
// link colour and style), prepares a text (parsed and laid out once), asks
// its size, draws it at an origin clipped to a rectangle, and asks which
// link lies under a point. Images named in the text are asked for through
// OnImageNeeded each time they are measured or drawn; the renderer never
// owns them. Main thread only (it keeps GDI fonts).
#include <windows.h>

#include <functional>
#include <map>
#include <tuple>

#include "controls/base/ElHTMLLayout.h"
#include "framework/win32/Bitmap.h"
#include "framework/win32/Graphics.h"
#include "platform/win32/HandleOwners.h"

// Image stays null when the handler has none; the text then leaves no room for it.
using TElHTMLImageNeededEvent = std::function<void(TObject* sender, const WideString& src, TBitmap*& image)>;

class TElHTMLRender {
 public:
  // sender: what OnImageNeeded reports as its sender (the owning control).
  explicit TElHTMLRender(TObject* sender = nullptr) : FSender(sender) {}
  TElHTMLRender(const TElHTMLRender&) = delete;
  TElHTMLRender& operator=(const TElHTMLRender&) = delete;

  void SetDefaultColor(TColor value) { FDefaultColor = value; }
  // clNone: the text is drawn on what is there.
  void SetDefaultBkColor(TColor value) { FDefaultBkColor = value; }
  void SetDefaultStyle(TFontStyles value);
  void SetDefaultHeight(int value);
  void SetDefaultFont(const WideString& value);
  void SetCharset(BYTE value);
  void SetLinkColor(TColor value) { FLinkColor = value; }
  void SetLinkStyle(TFontStyles value);
  // Every default from a font: colour, style, height, name, character set.
  void SetDefaultsFrom(TFont* font);

  // Parses and lays out text; maxWidth and wordWrap as in LayoutElHTML.
  void PrepareText(const WideString& text, int maxWidth, bool wordWrap);
  SIZE TextSize() const { return SIZE{FLayout.Width, FLayout.Height}; }
  const TElHTMLLayout& Layout() const { return FLayout; }
  // Draws the prepared text with its top-left corner at origin, clipped to clip.
  void DrawText(HDC dc, POINT origin, const RECT& clip);
  // Draws the prepared text at the rectangle's corner, clipped to it.
  void DrawTextInRect(HDC dc, const RECT& rect) { DrawText(dc, POINT{rect.left, rect.top}, rect); }
  // True when point (relative to the text's origin) is over a link; href is then its target.
  bool IsCursorOverLink(POINT point, WideString& href) const;

  TElHTMLImageNeededEvent OnImageNeeded;

 private:
  friend class TElHTMLGdiMeasurer;
  HFONT FontFor(const TElHTMLStyle& style);
  TBitmap* ImageFor(const WideString& src);
  COLORREF ColorFor(const TElHTMLStyle& style) const;
  void DropFonts() { FFonts.clear(); }

  TObject* FSender;
  TColor FDefaultColor = clWindowText;
  TColor FDefaultBkColor = clNone;
  TFontStyles FDefaultStyle = 0;
  int FDefaultHeight = -11;
  WideString FDefaultFont = u"MS Sans Serif";
  BYTE FCharset = DEFAULT_CHARSET;
  TColor FLinkColor = 0xFF0000;  // blue
  TFontStyles FLinkStyle = fsUnderline;
  TElHTMLMarkup FMarkup;
  TElHTMLLayout FLayout;
  std::map<std::tuple<unsigned char, int, WideString>, TGdiObject<HFONT>> FFonts;
};
