// Stands in for the program the shell starts to edit a bitmap: waits until
// the test lets it go (the event "RavelinTestBmpEditGo", when it exists),
// inverts the picture in the file named by its argument, writes it back and
// adds a line to the file named by RAVELIN_EDIT_LOG.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "crash/image/win32/INVBitmap.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  if (HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, "RavelinTestBmpEditGo")) {
    WaitForSingleObject(go, 120000);
    CloseHandle(go);
  }
  TINVBitmapRef picture = LoadBmp(argv[1]);
  if (!picture) return 3;
  BitBlt(picture->DC(), 0, 0, picture->Width(), picture->Height(), nullptr, 0, 0, DSTINVERT);
  if (!WriteBmpFile(*picture, argv[1])) return 4;
  if (const char* log = std::getenv("RAVELIN_EDIT_LOG")) {
    if (FILE* file = std::fopen(log, "a")) {
      std::fprintf(file, "edited %s\n", argv[1]);
      std::fclose(file);
    }
  }
  return 0;
}
