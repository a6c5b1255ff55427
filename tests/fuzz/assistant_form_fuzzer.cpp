// Arbitrary bytes as an assistant's form resource: the reader either returns
// a form with its three buttons or refuses with the stream error, never
// reads past the bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "crash/SettingsStreamReader.h"
#include "crash/ui/assistant/AssistantForm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    const TAssistantForm form = ReadAssistantForm(bytes);
    if (!form.Item("ContinueBtn") || !form.Item("SkipBtn") || !form.Item("CancelBtn")) __builtin_trap();
  } catch (const TSettingsStreamError&) {
  }
  return 0;
}
