#pragma once
// Which slots of an image list hold an image: a new image takes the first
// free slot, so lists shared by many buttons do not grow with every change of
// a picture. Any thread may use an instance it owns.
#include <vector>

class TElImageSlots {
 public:
  // The slot a new image goes to; Count() grows when it is a new one at the end.
  int Take();
  // Frees a slot; slots that are not in use are ignored.
  void Free(int slot);
  bool Used(int slot) const;
  // Slots in use.
  int UseCount() const { return FUseCount; }
  // Slots that exist, used or free.
  int Count() const { return static_cast<int>(FUsed.size()); }

 private:
  std::vector<bool> FUsed;
  int FUseCount = 0;
};
