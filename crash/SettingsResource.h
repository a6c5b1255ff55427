#pragma once
// Reading a module's settings resource: the component stream "TPF0",
// "TOstrel", "Ostrel", then typed properties up to a zero byte.
#include <functional>
#include <string>

#include "crash/SettingProperty.h"

extern const char* const kSettingsResourceName;  // "TOSTREL"
extern const char* const kSettingsCaption;       // "Ostrel", the caption of the reporter's boxes

// Fills properties and tells whether the header was accepted. A property of
// a type that settings cannot hold stops the reading after showMessage has
// been given "Internal error: Invalid settings resource ($<type>)."; a
// stream cut short stops it silently. What was read before stays. Never raises.
bool ParseSettingsResource(const std::string& bytes, TSettingPropertyList& properties,
                           const std::function<void(const std::string&)>& showMessage);

// Replaces the stored, enciphered passwords by their plain form.
void DecipherPasswords(TSettingPropertyList& properties);
