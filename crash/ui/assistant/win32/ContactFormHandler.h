#pragma once
// The contact form's handler: remembers name and e-mail address in the
// current user's registry, checks the address as it is typed, and makes
// the sender of the report from both. Handling thread only.
#include "crash/ui/assistant/win32/AssistantFormHandlers.h"

// Where the remembered values live, under HKEY_CURRENT_USER.
constexpr const char* kContactFormKey = "Software\\Pelkor\\ContactForm";

void HandleContactForm(TAssistantFormCall& call);
