#include "crash/SettingsResource.h"

#include <cstdint>
#include <cstdio>

#include "crash/PasswordCipher.h"
#include "crash/SettingsStreamReader.h"

const char* const kSettingsResourceName = "TOSTREL";
const char* const kSettingsCaption = "Ostrel";

namespace {

bool ReadHeader(TSettingsStreamReader& reader) {
  reader.ReadSignature();
  return reader.ReadShortString() == "TOstrel" && reader.ReadShortString() == "Ostrel";
}

std::string InvalidTypeMessage(std::uint8_t type) {
  char text[64];
  std::snprintf(text, sizeof text, "Internal error: Invalid settings resource ($%x).",
                static_cast<unsigned>(type));
  return text;
}

// One property; false when its type stops the reading.
bool ReadProperty(TSettingsStreamReader& reader, TSettingPropertyList& properties,
                  const std::function<void(const std::string&)>& showMessage) {
  TSettingProperty property;
  property.Name = reader.ReadShortString();
  const std::uint8_t type = reader.NextValue();
  switch (type) {
    case svInt8:
    case svInt16:
    case svInt32:
      property.Kind = ptInteger;
      property.IntValue = reader.ReadInteger();
      break;
    case svFalse:
    case svTrue:
      property.Kind = ptBoolean;
      property.BoolValue = reader.ReadBoolean();
      break;
    case svString:
    case svLString:
    case svWString:
      property.Kind = ptString;
      property.TextValue = reader.ReadString();
      break;
    default:
      showMessage(InvalidTypeMessage(type));
      return false;
  }
  properties.Append(std::move(property));
  return true;
}

}  // namespace

bool ParseSettingsResource(const std::string& bytes, TSettingPropertyList& properties,
                           const std::function<void(const std::string&)>& showMessage) {
  TSettingsStreamReader reader(bytes);
  try {
    if (!ReadHeader(reader)) return false;
  } catch (...) {
    return false;
  }
  try {
    while (reader.NextValue() != svNull)
      if (!ReadProperty(reader, properties, showMessage)) break;
  } catch (...) {
    // Cut short: what was read before stays.
  }
  return true;
}

void DecipherPasswords(TSettingPropertyList& properties) {
  const auto text = [&](const char* name) {
    const TSettingProperty* property = properties.Find(name);
    return property ? property->TextValue : std::string();
  };
  const struct {
    const char *password, *account, *server;
  } pairs[] = {{"SmtpPassword", "SmtpAccount", "SmtpServer"},
               {"HttpPassword", "HttpAccount", "HttpServer"}};
  for (const auto& pair : pairs) {
    TSettingProperty* password = properties.Find(pair.password);
    if (password != nullptr && !password->TextValue.empty())
      password->TextValue =
          DecipherPassword(password->TextValue, text(pair.account), text(pair.server));
  }
}
