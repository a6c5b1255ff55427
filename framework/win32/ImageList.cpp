#include "framework/win32/ImageList.h"

#include "framework/Exception.h"
#include "framework/win32/Bitmap.h"
#include "platform/win32/HandleOwners.h"

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), FWidth(width), FHeight(height) {
  Create();
}

TImageList::~TImageList() {
  if (FHandle != nullptr) ImageList_Destroy(FHandle);
}

void TImageList::Create() {
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR24 | ILC_MASK, 4, 4);
  if (FHandle == nullptr) throw Exception("Out of system resources");
}

void TImageList::Changed() {
  if (OnChange) OnChange(this);
}

void TImageList::SetSize(int width, int height) {
  if (width == FWidth && height == FHeight) return;
  if (width <= 0 || height <= 0) return;
  HIMAGELIST old = FHandle;
  FWidth = width;
  FHeight = height;
  Create();
  ImageList_Destroy(old);
  Changed();
}

int TImageList::Count() const { return ImageList_GetImageCount(FHandle); }

int TImageList::Add(TBitmap* image, TBitmap* mask) {
  if (image == nullptr || image->Empty()) return -1;
  // The image list copies the bitmaps; they must not stay selected meanwhile.
  image->FreeContext();
  if (mask != nullptr) mask->FreeContext();
  const int index = ImageList_Add(FHandle, image->Handle(), mask != nullptr ? mask->Handle() : nullptr);
  if (index >= 0) Changed();
  return index;
}

int TImageList::AddMasked(TBitmap* image, TColor color) {
  if (image == nullptr || image->Empty()) return -1;
  TGdiObject<HBITMAP> mask(image->CreateMask(color));
  if (!mask) return -1;
  // Transparent pixels must be black in the image for the list's drawing.
  TBitmap copy;
  copy.Assign(image);
  TCreatedDC maskDC(CreateCompatibleDC(nullptr));
  if (!maskDC) return -1;
  {
    TSelectedObject selected(maskDC.Get(), mask.Get());
    HDC dc = copy.Canvas()->Handle();
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, 0, 0, copy.Width(), copy.Height(), maskDC.Get(), 0, 0, 0x00220326);
  }
  copy.FreeContext();
  const int index = ImageList_Add(FHandle, copy.Handle(), mask.Get());
  if (index >= 0) Changed();
  return index;
}

void TImageList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  ImageList_Remove(FHandle, index);
  Changed();
}

void TImageList::Clear() {
  ImageList_Remove(FHandle, -1);
  Changed();
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  if (canvas == nullptr || index < 0 || index >= Count()) return;
  HDC dc = canvas->Handle();
  if (enabled) {
    ImageList_Draw(FHandle, index, dc, x, y, ILD_TRANSPARENT);
    return;
  }
  TGdiObject<HBITMAP> mask(CopyMask(index));
  if (!mask) return;
  // Embossed: the shape in the highlight colour one pixel down and right,
  // then in the shadow colour.
  canvas->FillMasked(x + 1, y + 1, FWidth, FHeight, mask.Get(), 0, 0, clBtnHighlight);
  canvas->FillMasked(x, y, FWidth, FHeight, mask.Get(), 0, 0, clBtnShadow);
}

HBITMAP TImageList::CopyMask(int index) {
  // The list keeps its own mask bitmap selected in its own device context,
  // where no other context may select it: the mask is drawn into a copy.
  TGdiObject<HBITMAP> mask(CreateBitmap(FWidth, FHeight, 1, 1, nullptr));
  TCreatedDC maskDC(CreateCompatibleDC(nullptr));
  if (!mask || !maskDC) return nullptr;
  TSelectedObject selected(maskDC.Get(), mask.Get());
  PatBlt(maskDC.Get(), 0, 0, FWidth, FHeight, WHITENESS);
  if (!ImageList_Draw(FHandle, index, maskDC.Get(), 0, 0, ILD_MASK)) return nullptr;
  return mask.Release();
}

void TImageList::GetBitmap(int index, TBitmap* bitmap, TColor background) {
  if (bitmap == nullptr) return;
  bitmap->SetSize(FWidth, FHeight);
  TCanvas* canvas = bitmap->Canvas();
  canvas->Brush()->SetColor(background);
  canvas->FillRect(RECT{0, 0, FWidth, FHeight});
  Draw(canvas, 0, 0, index);
}
