#pragma once
// An off-screen image with its own drawing surface: controls that paint often
// draw into one and copy it to the screen in a single step. A bitmap can be
// drawn transparently: the pixels of its transparent colour (by default the
// colour of its bottom-left pixel) are left out.
// Threads: the thread that uses it; not shared.
#include <windows.h>

#include <memory>

#include "framework/win32/Graphics.h"

class TBitmap;

// The canvas of a bitmap: a memory device context holding the bitmap.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};

// The transparent colour taken from the image itself.
constexpr TColor clDefault = 0x20000000;

class TBitmap : public TPersistent {
 public:
  TBitmap();
  ~TBitmap() override;
  std::string ClassName() const override { return "TBitmap"; }
  // Copies another bitmap's picture, size and transparency.
  void Assign(TPersistent* source) override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  // Keeps nothing of the old image; compatible with the screen.
  void SetSize(int width, int height);
  HBITMAP Handle();
  TCanvas* Canvas() { return FCanvas.get(); }
  // Gives back the canvas's device context, so that the image can be
  // selected elsewhere (an image list copying it); the canvas takes a new
  // one when next used.
  void FreeContext() { FCanvas->FreeContext(); }

  // Takes over a bitmap handle (the bitmap then owns it).
  void SetHandle(HBITMAP bitmap);
  // Loads a bitmap resource of module (null: the program); false when absent.
  bool LoadFromResourceName(HINSTANCE module, const wchar_t* name);

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value) { FTransparent = value; }
  TColor TransparentColor();
  void SetTransparentColor(TColor value) { FTransparentColor = value; }
  // A monochrome mask: black where the picture shows, white where color is.
  // The caller owns it.
  HBITMAP CreateMask(TColor color);

  // Draws the picture stretched to rect on dc, transparently when set.
  void DrawOn(HDC dc, const RECT& rect);

 private:
  void FreeImage();

  int FWidth = 0;
  int FHeight = 0;
  HBITMAP FHandle = nullptr;
  bool FTransparent = false;
  TColor FTransparentColor = clDefault;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};
