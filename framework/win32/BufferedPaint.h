#pragma once
// Paints into an off-screen bitmap and copies the result to the target in
// one step, so a picture built of many layers never flickers. The buffer's
// device context takes the target's coordinates: code draws on DC() exactly
// as it would on the target, and what it leaves undrawn stays as the target
// had it. When no buffer can be made (out of resources) DC() is the target
// itself and drawing goes straight there.
//
// Threads: any thread, for a device context that thread uses.
#include <windows.h>

#include "platform/win32/HandleOwners.h"

class TBufferedPaint {
 public:
  // area: the part of the target to paint, in the target's logical coordinates.
  TBufferedPaint(HDC target, const RECT& area);
  ~TBufferedPaint();
  TBufferedPaint(const TBufferedPaint&) = delete;
  TBufferedPaint& operator=(const TBufferedPaint&) = delete;

  HDC DC() const { return FBuffer ? FBuffer.Get() : FTarget; }
  bool Buffered() const { return static_cast<bool>(FBuffer); }
  // Copies the buffer to the target; further drawing goes to the target.
  void Finish();

 private:
  HDC FTarget;
  RECT FArea;
  TCreatedDC FBuffer;
  TGdiObject<HBITMAP> FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};
