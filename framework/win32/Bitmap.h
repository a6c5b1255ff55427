#pragma once
// An off-screen image with its own drawing surface: controls that paint often
// draw into one and copy it to the screen in a single step.
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

class TBitmap : public TPersistent {
 public:
  TBitmap();
  ~TBitmap() override;
  std::string ClassName() const override { return "TBitmap"; }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Keeps nothing of the old image; compatible with the screen.
  void SetSize(int width, int height);
  HBITMAP Handle();
  TCanvas* Canvas() { return FCanvas.get(); }

 private:
  void FreeImage();

  int FWidth = 0;
  int FHeight = 0;
  HBITMAP FHandle = nullptr;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};
