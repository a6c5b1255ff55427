#include "controls/base/win32/ElSoundMap.h"

#include <windows.h>
#include <mmsystem.h>

void TElSoundMap::SetEventFile(const std::string& event, const WideString& file) {
  if (file.empty())
    FFiles.erase(event);
  else
    FFiles[event] = file;
}

WideString TElSoundMap::EventFile(const std::string& event) const {
  auto found = FFiles.find(event);
  return found == FFiles.end() ? WideString() : found->second;
}

void TElSoundMap::Play(const std::string& event) {
  if (!FEnabled || event.empty()) return;
  auto found = FFiles.find(event);
  if (found == FFiles.end()) return;
  // Never the system's default sound for a missing file: silence instead.
  PlaySoundW(reinterpret_cast<LPCWSTR>(found->second.c_str()), nullptr,
             SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}
