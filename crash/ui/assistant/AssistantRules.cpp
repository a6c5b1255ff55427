#include "crash/ui/assistant/AssistantRules.h"

#include <algorithm>

bool ContinueAllowed(const TAssistantForm& form) {
  return std::all_of(form.Items.begin(), form.Items.end(), [](const TAssistantFormItem& item) {
    return item.Kind != TAssistantItemKind::Edit || item.Optional || (item.Valid && !item.Text.empty());
  });
}

namespace {

void OutputItem(const TAssistantFormItem& item, IMEFields& header, IMEFields& sections) {
  if (item.OutputName.empty()) return;
  if (item.Kind == TAssistantItemKind::CheckBox) {
    header.Add(item.OutputName, item.Checked ? "yes" : "no");
  } else if (item.Kind == TAssistantItemKind::Edit && !item.Text.empty()) {
    const bool ownSection = item.OutputType == TAssistantOutputType::OwnSection && item.Lines > 1;
    (ownSection ? sections : header).Add(item.OutputName, item.Text);
  }
}

TMEFormItemKind CachedKind(TAssistantItemKind kind) {
  switch (kind) {
    case TAssistantItemKind::Edit:
      return TMEFormItemKind::Edit;
    case TAssistantItemKind::CheckBox:
      return TMEFormItemKind::CheckBox;
    default:
      return TMEFormItemKind::Other;
  }
}

}  // namespace

void OutputAssistantFields(const std::vector<TAssistantForm>& forms, IMEFields& header, IMEFields& sections) {
  for (const TAssistantForm& form : forms) {
    if (form.Result != afrContinue) continue;
    for (const TAssistantFormItem& item : form.Items) OutputItem(item, header, sections);
  }
}

void CopyItemsToCache(const TAssistantForm& form, TMEForm& cached) {
  cached.items.clear();
  for (const TAssistantFormItem& item : form.Items) {
    const TMEFormItemKind kind = CachedKind(item.Kind);
    if (kind == TMEFormItemKind::Other) continue;
    cached.items.push_back(TMEFormItem{item.Name, kind, item.Text, item.Checked});
  }
}

void CopyCacheToItems(const TMEForm& cached, TAssistantForm& form) {
  for (const TMEFormItem& value : cached.items) {
    TAssistantFormItem* item = form.Item(value.name);
    if (!item) continue;
    if (value.kind == TMEFormItemKind::Edit) item->Text = value.text;
    if (value.kind == TMEFormItemKind::CheckBox) item->Checked = value.checked;
  }
  form.FocusContinue = form.FocusContinue || cached.focusContinue;
}
