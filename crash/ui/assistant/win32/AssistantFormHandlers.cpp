#include "crash/ui/assistant/win32/AssistantFormHandlers.h"

#include <memory>

#include "crash/TextItems.h"
#include "crash/ui/assistant/win32/ContactFormHandler.h"
#include "crash/ui/assistant/win32/ScreenshotFormHandler.h"

TAssistantFormHandler FindAssistantFormHandler(const std::string& name) {
  if (SameNameNoCase(name, "Ostrel.HandleContactForm")) return HandleContactForm;
  // Each showing gets a handler of its own: it keeps the editor it started.
  if (SameNameNoCase(name, "Ostrel.HandleScreenshotForm"))
    return [handler = std::make_shared<TScreenshotFormHandler>()](TAssistantFormCall& call) { (*handler)(call); };
  return {};
}
