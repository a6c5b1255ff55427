#include "crash/ui/assistant/win32/AssistantFormHandlers.h"

#include "crash/TextItems.h"
#include "crash/ui/assistant/win32/ContactFormHandler.h"

TAssistantFormHandler FindAssistantFormHandler(const std::string& name) {
  if (SameNameNoCase(name, "Ostrel.HandleContactForm")) return HandleContactForm;
  return {};
}
