#include "crash/SettingsResource.h"

#include <cstdio>

#include "crash/PasswordCipher.h"
#include "framework/Filer.h"
#include "framework/Stream.h"

const char* const kSettingsResourceName = "TOSTREL";
const char* const kSettingsCaption = "Ostrel";

namespace {

bool ReadHeader(TReader& reader) {
  reader.ReadSignature();
  return reader.ReadStr() == "TOstrel" && reader.ReadStr() == "Ostrel";
}

std::string InvalidTypeMessage(TValueType type) {
  char text[64];
  std::snprintf(text, sizeof text, "Internal error: Invalid settings resource ($%x).",
                static_cast<unsigned>(type));
  return text;
}

// One property; false when its type stops the reading.
bool ReadProperty(TReader& reader, TSettingPropertyList& properties,
                  const std::function<void(const std::string&)>& showMessage) {
  TSettingProperty property;
  property.Name = reader.ReadStr();
  const TValueType type = reader.NextValue();
  switch (type) {
    case vaInt8:
    case vaInt16:
    case vaInt32:
      property.Kind = ptInteger;
      property.IntValue = reader.ReadInteger();
      break;
    case vaFalse:
    case vaTrue:
      property.Kind = ptBoolean;
      property.BoolValue = reader.ReadBoolean();
      break;
    case vaString:
    case vaLString:
    case vaWString:
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
  TCustomMemoryStream stream(bytes.data(), bytes.size());
  TReader reader(stream);
  try {
    if (!ReadHeader(reader)) return false;
  } catch (...) {
    return false;
  }
  try {
    while (reader.NextValue() != vaNull)
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
