// Takes a screenshot of the whole screen with the crash reporter's capture
// and saves it as a bitmap file and as a PNG: the benchmark's real picture.
// The bitmap appears under its name only when whole, since whoever started
// this program may not be able to wait for it.
// Usage: png_capture.exe OUT.bmp [OUT.png]
#include <windows.h>

#include <cstdio>
#include <string>

#include "crash/image/win32/Screenshot.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: png_capture OUT.bmp [OUT.png]\n");
    return 2;
  }
  const TINVBitmapRef shot = Screenshot(false);
  if (!shot) {
    std::fprintf(stderr, "png_capture: no screenshot\n");
    return 1;
  }
  const std::string part = std::string(argv[1]) + ".part";
  if ((argc > 2 && !shot->SavePng(argv[2], 0)) || !shot->SaveBmp(part) ||
      !MoveFileExA(part.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING)) {
    std::fprintf(stderr, "png_capture: could not write the files\n");
    return 1;
  }
  std::printf("png_capture: %d x %d\n", shot->Width(), shot->Height());
  return 0;
}
