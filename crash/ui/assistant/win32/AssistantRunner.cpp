#include "crash/ui/assistant/win32/AssistantRunner.h"

#include <vector>

#include "crash/SettingsStreamReader.h"
#include "crash/flow/TIMEException.h"
#include "crash/ui/assistant/AssistantRules.h"
#include "crash/ui/assistant/win32/AssistantFormWindow.h"

namespace {

// The forms whose resources were found and read; the cached values applied.
std::vector<TAssistantForm> ReadForms(TMEAssistant& assistant, TIMEException& exception) {
  std::vector<TAssistantForm> forms;
  std::vector<TMEForm> found;
  for (TMEForm& cached : assistant.forms) {
    if (!cached.found) continue;
    try {
      forms.push_back(ReadAssistantForm(cached.resource));
    } catch (const TSettingsStreamError&) {
      continue;  // a damaged form is left out rather than failing the assistant
    }
    CopyItemsToCache(forms.back(), cached);
    found.push_back(cached);
  }
  assistant.forms = std::move(found);
  exception.LoadFormCache(assistant);
  for (std::size_t i = 0; i < forms.size(); ++i) CopyCacheToItems(assistant.forms[i], forms[i]);
  return forms;
}

int ShowForms(std::vector<TAssistantForm>& forms, const std::string& title, HWND parent, TIMEException& exception) {
  for (TAssistantForm& form : forms) {
    TAssistantFormWindow window(form, title, exception);
    if (window.ShowModal(parent) == afrCancel) return afrCancel;
  }
  return afrContinue;
}

}  // namespace

int RunAssistant(const std::string& name, HWND parent, TIMEException& exception) {
  std::unique_ptr<TMEAssistant> assistant = exception.BuildAssistant(name);
  if (!assistant) return -1;
  std::vector<TAssistantForm> forms = ReadForms(*assistant, exception);

  const bool parentWasEnabled = parent && IsWindowEnabled(parent);
  if (parentWasEnabled) EnableWindow(parent, FALSE);
  const int result = ShowForms(forms, assistant->title, parent, exception);
  if (parentWasEnabled) EnableWindow(parent, TRUE);
  if (result != afrContinue) return result;

  exception.BeginUpdate();
  OutputAssistantFields(forms, exception.Header(), exception.Sections());
  exception.EndUpdate();
  for (std::size_t i = 0; i < forms.size(); ++i) CopyItemsToCache(forms[i], assistant->forms[i]);
  exception.SaveFormCache(*assistant);
  return result;
}

int RunSendAssistant(HWND parent, TIMEException& exception) {
  return RunAssistant(exception.SendAssis(), parent, exception);
}
