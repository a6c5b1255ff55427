#pragma once
// The process-wide store of the images that buttons prepare for their
// states: one list per picture size, shared by every glyph holder, so equal
// buttons do not each keep their own copies. Main thread only.
#include <windows.h>

#include <memory>
#include <vector>

#include "controls/edit/ElImageSlots.h"
#include "platform/win32/HandleOwners.h"

// Images of one size, each kept with the mask of its see-through colour.
class TElGlyphCacheList {
 public:
  TElGlyphCacheList(int width, int height);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Stores a copy of the image's top-left Width x Height pixels; pixels of the
  // transparent colour stay see-through. Returns the image's index.
  int Add(HBITMAP image, COLORREF transparent);
  void Delete(int index);
  bool Holds(int index) const { return FSlots.Used(index); }
  // Draws an image into dest, stretched when dest is not the image's size.
  void Draw(int index, HDC dc, const RECT& dest) const;
  int UseCount() const { return FSlots.UseCount(); }

 private:
  struct TImage {
    TGdiObject<HBITMAP> Image;  // see-through pixels black
    TGdiObject<HBITMAP> Mask;   // monochrome: 1 where see-through
  };
  int FWidth;
  int FHeight;
  TElImageSlots FSlots;
  std::vector<TImage> FImages;
};

class TElGlyphCache {
 public:
  // A glyph holder joins when it is created and leaves when it is freed; the
  // cache lives from the first join until no holder and no list is left.
  static TElGlyphCache& Join();
  static void Leave();
  // Null while there is none.
  static TElGlyphCache* Instance();

  // The list for a picture size, made on first use.
  TElGlyphCacheList* ListFor(int width, int height);
  // A holder gives back a list it used; once nothing in it is used it is freed.
  void Return(TElGlyphCacheList* list);
  int ListCount() const { return static_cast<int>(FLists.size()); }

 private:
  // A plain pointer, not an owner: an owner would be destroyed at process
  // exit before holders that outlive it (forms freed by a global object) leave.
  static TElGlyphCache*& Current();
  void FreeIfUnused();

  std::vector<std::unique_ptr<TElGlyphCacheList>> FLists;
  int FHolders = 0;
};
