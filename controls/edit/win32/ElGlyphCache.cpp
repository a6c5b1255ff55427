#include "controls/edit/win32/ElGlyphCache.h"

#include <algorithm>

#include "controls/base/win32/ElGlyphDrawing.h"

// --- TElGlyphCacheList -------------------------------------------------------

TElGlyphCacheList::TElGlyphCacheList(int width, int height) : FWidth(width), FHeight(height) {}

int TElGlyphCacheList::Add(HBITMAP image, COLORREF transparent) {
  TImage stored;
  {
    TCreatedDC source = MemoryDC();
    TSelectedObject sourceImage(source.Get(), image);
    stored.Mask = MakeShapeMask(source.Get(), FWidth, FHeight, transparent);
    stored.Image = ScreenBitmap(FWidth, FHeight);
    TCreatedDC target = MemoryDC();
    TCreatedDC mask = MemoryDC();
    TSelectedObject targetImage(target.Get(), stored.Image.Get());
    TSelectedObject maskImage(mask.Get(), stored.Mask.Get());
    BitBlt(target.Get(), 0, 0, FWidth, FHeight, source.Get(), 0, 0, SRCCOPY);
    // Black under the see-through pixels lets drawing OR the image onto the hole the mask cut.
    PlainMonochrome(target.Get());
    BitBlt(target.Get(), 0, 0, FWidth, FHeight, mask.Get(), 0, 0, kRopBlackenWhereSource);
  }
  const int index = FSlots.Take();
  if (index == static_cast<int>(FImages.size())) {
    FImages.push_back(std::move(stored));
  } else {
    FImages[static_cast<std::size_t>(index)] = std::move(stored);
  }
  return index;
}

void TElGlyphCacheList::Delete(int index) {
  if (!FSlots.Used(index)) return;
  FSlots.Free(index);
  FImages[static_cast<std::size_t>(index)] = TImage{};
}

void TElGlyphCacheList::Draw(int index, HDC dc, const RECT& dest) const {
  if (!FSlots.Used(index)) return;
  const TImage& image = FImages[static_cast<std::size_t>(index)];
  TCreatedDC source = MemoryDC();
  TSavedDCState saved(dc);
  PlainMonochrome(dc);
  SetStretchBltMode(dc, COLORONCOLOR);
  const int width = dest.right - dest.left;
  const int height = dest.bottom - dest.top;
  {
    TSelectedObject mask(source.Get(), image.Mask.Get());
    StretchBlt(dc, dest.left, dest.top, width, height, source.Get(), 0, 0, FWidth, FHeight, SRCAND);
  }
  TSelectedObject colours(source.Get(), image.Image.Get());
  StretchBlt(dc, dest.left, dest.top, width, height, source.Get(), 0, 0, FWidth, FHeight, SRCPAINT);
}

// --- TElGlyphCache -----------------------------------------------------------

TElGlyphCache*& TElGlyphCache::Current() {
  static TElGlyphCache* current = nullptr;
  return current;
}

TElGlyphCache& TElGlyphCache::Join() {
  if (Current() == nullptr) Current() = new TElGlyphCache;
  ++Current()->FHolders;
  return *Current();
}

void TElGlyphCache::Leave() {
  if (Current() == nullptr) return;
  --Current()->FHolders;
  Current()->FreeIfUnused();
}

TElGlyphCache* TElGlyphCache::Instance() { return Current(); }

void TElGlyphCache::FreeIfUnused() {
  if (FHolders > 0 || !FLists.empty()) return;
  Current() = nullptr;
  delete this;
}

TElGlyphCacheList* TElGlyphCache::ListFor(int width, int height) {
  for (const auto& list : FLists)
    if (list->Width() == width && list->Height() == height) return list.get();
  FLists.push_back(std::make_unique<TElGlyphCacheList>(width, height));
  return FLists.back().get();
}

void TElGlyphCache::Return(TElGlyphCacheList* list) {
  if (list == nullptr || list->UseCount() > 0) return;
  FLists.erase(std::remove_if(FLists.begin(), FLists.end(),
                              [list](const auto& held) { return held.get() == list; }),
               FLists.end());
  FreeIfUnused();
}
