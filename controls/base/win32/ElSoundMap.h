#pragma once
// Named sound events of the control set: a control asks the map to play an
// event by name ("CheckSound", "ButtonDown", ...) and the map plays the wave
// file assigned to it, asynchronously, or nothing when the event has no file
// or is switched off. Controls hold a map by reference and are told when it
// goes. Main thread only.
#include <map>
#include <string>

#include "framework/win32/Component.h"
#include "platform/WideString.h"

class TElSoundMap : public TComponent {
 public:
  explicit TElSoundMap(TComponent* owner) : TComponent(owner) {}
  std::string ClassName() const override { return "TElSoundMap"; }

  // Assigns a wave file to an event; an empty file removes the event.
  void SetEventFile(const std::string& event, const WideString& file);
  WideString EventFile(const std::string& event) const;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }

  // Plays the event's file; an unknown or empty name plays nothing.
  virtual void Play(const std::string& event);

 private:
  std::map<std::string, WideString> FFiles;
  bool FEnabled = true;
};
