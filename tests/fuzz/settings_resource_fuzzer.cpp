// Arbitrary bytes as a module's settings resource: the parser must stop
// cleanly on anything, never read past the bytes, never raise.
#include <cstddef>
#include <cstdint>
#include <string>

#include "crash/SettingsResource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TSettingPropertyList properties;
  int messages = 0;
  const bool valid = ParseSettingsResource(bytes, properties, [&](const std::string&) { ++messages; });
  DecipherPasswords(properties);
  // A rejected header reads nothing; at most one message stops the reading.
  if ((!valid && properties.Count() != 0) || messages > 1) __builtin_trap();
  return 0;
}
