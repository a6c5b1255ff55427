#pragma once
// The picture of a button and its caption: holds the glyph bitmap (or an
// icon), prepares one image of it per button state in the shared glyph cache,
// and lays out and draws picture and caption inside the button's content area.
// Created and owned by its button; main thread only.
#include <windows.h>
#include <uxtheme.h>

#include <memory>

#include "controls/base/ElAlignment.h"
#include "controls/edit/ElButtonGlyphLayout.h"
#include "controls/base/win32/ElTextDrawing.h"
#include "framework/win32/Bitmap.h"
#include "platform/WideString.h"
#include "platform/win32/HandleOwners.h"

class TElGlyphCache;
class TElGlyphCacheList;
class TImageList;
class TElHTMLRender;

enum TElButtonState : unsigned char { ebsUp, ebsDisabled, ebsDown, ebsExclusive, ebsArrDown };
constexpr int kElButtonStateCount = 5;

// How the owning button wants its content shown.
struct TElButtonDrawSettings {
  bool ShowGlyph = true;
  bool ShowText = true;
  bool ShortcutsEnabled = false;  // "&" marks an accelerator; otherwise shown as is
  bool ChangeDisabledText = true; // embossed caption while disabled
  TElTextDrawType TextDrawType = tdtNormal;
  int ArrowWidth = 0;             // the arrow part at the content area's right edge
  // With a theme the caption is measured and drawn by it, for this part and state.
  HTHEME Theme = nullptr;
  int ThemePart = 0;
  int ThemeState = 0;
  TAlignment Alignment = taCenter; // of a multi-line caption under a theme
  // An HTML caption is measured and drawn by this renderer (not owned).
  TElHTMLRender* HTML = nullptr;
};

struct TIconTraits {
  using Handle = HICON;
  static Handle Empty() { return nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};
using TOwnedIcon = TOwnedHandle<TIconTraits>;

class TElButtonGlyph : public TObject {
 public:
  TElButtonGlyph();
  ~TElButtonGlyph() override;
  std::string ClassName() const override { return "TElButtonGlyph"; }
  TElButtonGlyph(const TElButtonGlyph&) = delete;
  TElButtonGlyph& operator=(const TElButtonGlyph&) = delete;

  // The frames side by side: up, disabled, pressed, held down. Drawing into it
  // directly must be followed by GlyphChanged.
  TBitmap* Glyph() { return FGlyph.get(); }
  // Takes a copy of source's image; null empties the glyph.
  void SetGlyph(TBitmap* source);
  void GlyphChanged();
  int NumGlyphs() const { return FNumGlyphs; }
  // 1 to 4; larger counts become 4, smaller 1.
  void SetNumGlyphs(int value);

  HICON Icon() const { return FIcon.Get(); }
  // Takes a copy of icon; null removes it.
  void SetIcon(HICON icon);
  bool UseIcon() const { return FUseIcon; }
  void SetUseIcon(bool value);

  // Image-list pictures: the list (not owned) and the image's index (-1 for
  // none), with an optional list of per-pixel opacities. The list wins over
  // the icon and the bitmap while UseImageList is set.
  TImageList* ImageList() const { return FImageList; }
  void SetImageList(TImageList* value);
  TImageList* AlphaImageList() const { return FAlphaImageList; }
  void SetAlphaImageList(TImageList* value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  bool UseImageList() const { return FUseImageList; }
  void SetUseImageList(bool value);
  // The list set is one of disabled-looking images: they are drawn as they are
  // instead of embossed.
  void SetImagesLookDisabled(bool value) { FImagesLookDisabled = value; }

  // Raised after every change of the picture, for the owner to repaint.
  TNotifyEvent OnChange;

  // The index of the state's image in CacheList(), preparing it on first
  // use; -1 when the picture is not a non-empty bitmap.
  int CreateButtonGlyph(TElButtonState state);
  TElGlyphCacheList* CacheList() const { return FCacheList; }

  // Where picture and caption go; remembers whether the picture had to shrink.
  TElButtonLayoutResult CalcButtonLayout(TCanvas* canvas, const RECT& content,
                                         const TElButtonDrawSettings& settings,
                                         TElButtonLayout layout, int margin, int spacing,
                                         const WideString& caption, POINT offset);
  // Lays out, then draws picture and caption; returns the caption rectangle.
  RECT Draw(TCanvas* canvas, const RECT& content, const TElButtonDrawSettings& settings,
            TElButtonLayout layout, int margin, int spacing, TElButtonState state,
            const WideString& caption, POINT offset);
  // The size the content needs; with height above 0 the picture is kept within it.
  SIZE CalcButtonWidth(TCanvas* canvas, const TElButtonDrawSettings& settings,
                       TElButtonLayout layout, int margin, int spacing,
                       const WideString& caption, int height = 0);

  bool Scaled() const { return FScaled; }
  SIZE ScaledSize() const { return FScaledSize; }

 private:
  bool UsesImageList() const { return FUseImageList && FImageList != nullptr; }
  bool UsesIcon() const { return !UsesImageList() && FUseIcon && FIcon.Valid(); }
  int FrameWidth() const { return FGlyph->Width() / FNumGlyphs; }
  TElLayoutSize PictureSize(const TElButtonDrawSettings& settings) const;
  TElLayoutSize CaptionSize(TCanvas* canvas, const TElButtonDrawSettings& settings,
                            const WideString& caption) const;
  void ReleaseImages();
  void Changed();
  void DrawPicture(HDC dc, const RECT& dest, TElButtonState state);
  void DrawCaption(TCanvas* canvas, const RECT& rect, const TElButtonDrawSettings& settings,
                   TElButtonState state, const WideString& caption);
  void DrawThemedCaption(TCanvas* canvas, const RECT& rect, const TElButtonDrawSettings& settings,
                         const WideString& caption);

  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  TOwnedIcon FIcon;
  TElLayoutSize FIconSize;
  bool FUseIcon = false;
  TImageList* FImageList = nullptr;
  TImageList* FAlphaImageList = nullptr;
  int FImageIndex = -1;
  bool FUseImageList = false;
  bool FImagesLookDisabled = false;
  int FStates[kElButtonStateCount];
  TElGlyphCache* FCache;
  TElGlyphCacheList* FCacheList = nullptr;
  bool FScaled = false;
  SIZE FScaledSize{0, 0};
};
