#pragma once
// What an assistant's forms decide between them: when a form may be
// continued, which fields a finished assistant adds to the report, and how
// the items travel to and from the settings' form cache. Pure functions;
// any thread.
#include <vector>

#include "crash/MEAssistant.h"
#include "crash/MEFields.h"
#include "crash/ui/assistant/AssistantForm.h"

// True while every edit allows it: an optional edit always, a required one
// when it is marked valid and holds text.
bool ContinueAllowed(const TAssistantForm& form);

// For every form left with Continue: each check box with an output name as
// a header field "yes" or "no"; each edit with an output name and a text as
// a header field, or as a section of its own when it is a multi-line memo
// meant for one. Forms left otherwise add nothing.
void OutputAssistantFields(const std::vector<TAssistantForm>& forms, IMEFields& header, IMEFields& sections);

// The edits and check boxes of a form as the form cache knows them.
void CopyItemsToCache(const TAssistantForm& form, TMEForm& cached);
// Values the cache restored, back into the form's items; the continue button
// takes the focus when every item was restored.
void CopyCacheToItems(const TMEForm& cached, TAssistantForm& form);
