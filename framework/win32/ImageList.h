#pragma once
// A list of images of one size kept in the platform's image list, each with
// its mask: glyphs, state images and panel pictures are drawn from it by
// index. A disabled image is drawn embossed from its mask.
// Threads: the thread that uses it; not shared.
#include <windows.h>
#include <commctrl.h>

#include "framework/win32/Component.h"
#include "framework/win32/Graphics.h"

class TBitmap;

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* owner, int width = 16, int height = 16);
  ~TImageList() override;
  std::string ClassName() const override { return "TImageList"; }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Changing the size clears the list.
  void SetSize(int width, int height);
  int Count() const;
  HIMAGELIST Handle() const { return FHandle; }

  // Adds the image (a strip of several when wider than Width); mask may be
  // null for an opaque image. Returns the first new index, -1 on failure.
  int Add(TBitmap* image, TBitmap* mask);
  // Adds the image with every pixel of color transparent.
  int AddMasked(TBitmap* image, TColor color);
  void Delete(int index);
  void Clear();

  // Draws image index at (x, y); out-of-range indexes draw nothing.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  // Copies image index onto bitmap (resized to the image), on color.
  void GetBitmap(int index, TBitmap* bitmap, TColor background = clBtnFace);

  // After every change of the images.
  TNotifyEvent OnChange;

 private:
  void Create();
  void Changed();
  // A monochrome copy of the mask of image index (black where it shows), or
  // null; the caller deletes it.
  HBITMAP CopyMask(int index);

  HIMAGELIST FHandle = nullptr;
  int FWidth;
  int FHeight;
};
