#include "crash/ui/assistant/win32/ContactFormHandler.h"

#include <windows.h>

#include "crash/flow/TIMEException.h"
#include "crash/ui/assistant/EmailAddress.h"

namespace {

constexpr const char* kNameValue = "RememberName";
constexpr const char* kEmailValue = "RememberEmail";

std::string ReadRemembered(const char* value) {
  char buffer[1024];
  DWORD size = sizeof buffer;
  if (RegGetValueA(HKEY_CURRENT_USER, kContactFormKey, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return "";
  return buffer;
}

void Remember(const std::string& name, const std::string& email) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kContactFormKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, kNameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                 static_cast<DWORD>(name.size() + 1));
  RegSetValueExA(key, kEmailValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(email.c_str()),
                 static_cast<DWORD>(email.size() + 1));
  RegCloseKey(key);
}

void Forget() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kContactFormKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, kNameValue);
  RegDeleteValueA(key, kEmailValue);
  RegCloseKey(key);
}

void CheckEmail(TAssistantFormItem& email) { email.Valid = IsPlausibleEmailAddress(email.Text); }

void Show(TAssistantForm& form, TAssistantFormItem& name, TAssistantFormItem& email) {
  const std::string rememberedName = ReadRemembered(kNameValue);
  const std::string rememberedEmail = ReadRemembered(kEmailValue);
  if (!rememberedName.empty() || !rememberedEmail.empty()) {
    name.Text = rememberedName;
    email.Text = rememberedEmail;
    if (TAssistantFormItem* memory = form.Item("MemCheck")) memory->Checked = true;
    form.FocusContinue = true;  // taken only when Continue is enabled
  }
  // A text put in by the cache or the registry counts as typed.
  CheckEmail(email);
}

void Closed(TAssistantFormCall& call, const TAssistantFormItem& name, const TAssistantFormItem& email) {
  if (call.Form.Result != afrContinue) return;
  const TAssistantFormItem* memory = call.Form.Item("MemCheck");
  if (memory && memory->Checked)
    Remember(name.Text, email.Text);
  else
    Forget();
  if (!name.Text.empty()) call.Exception.SetMailFrom(SenderAddress(name.Text, email.Text));
}

}  // namespace

void HandleContactForm(TAssistantFormCall& call) {
  TAssistantFormItem* name = call.Form.Item("NameEdit");
  TAssistantFormItem* email = call.Form.Item("EmailEdit");
  if (!name || !email) return;
  switch (call.Action) {
    case aaShow:
      Show(call.Form, *name, *email);
      break;
    case aaChanged:
      if (call.Item == email) CheckEmail(*email);
      break;
    case aaClosed:
      Closed(call, *name, *email);
      break;
  }
}
