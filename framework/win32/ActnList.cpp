#include "framework/win32/ActnList.h"

#include <algorithm>

namespace {

struct TKeyName {
  unsigned char key;
  const char16_t* name;
};

// Keys whose code is no printable character of their own.
const TKeyName kKeyNames[] = {
    {0x08, u"BkSp"}, {0x09, u"Tab"},  {0x0D, u"Enter"}, {0x1B, u"Esc"},   {0x20, u"Space"},
    {0x21, u"PgUp"}, {0x22, u"PgDn"}, {0x23, u"End"},   {0x24, u"Home"},  {0x25, u"Left"},
    {0x26, u"Up"},   {0x27, u"Right"}, {0x28, u"Down"}, {0x2D, u"Ins"},   {0x2E, u"Del"},
};

WideString KeyText(unsigned char key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return WideString(1, static_cast<char16_t>(key));
  if (key >= 0x70 && key <= 0x87) {  // F1 to F24
    const int number = key - 0x70 + 1;
    WideString text = u"F";
    if (number >= 10) text += static_cast<char16_t>(u'0' + number / 10);
    text += static_cast<char16_t>(u'0' + number % 10);
    return text;
  }
  for (const TKeyName& entry : kKeyNames)
    if (entry.key == key) return entry.name;
  return WideString();
}

}  // namespace

WideString ShortCutToText(TShortCut shortCut) {
  const WideString key = KeyText(static_cast<unsigned char>(shortCut & 0xFF));
  if (key.empty()) return key;
  WideString text;
  if (shortCut & scShift) text += u"Shift+";
  if (shortCut & scCtrl) text += u"Ctrl+";
  if (shortCut & scAlt) text += u"Alt+";
  return text + key;
}

// --- TBasicActionLink -------------------------------------------------------

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == FAction) return;
  if (FAction != nullptr) FAction->UnRegisterChanges(this);
  FAction = value;
  if (value != nullptr) value->RegisterChanges(this);
}

// --- TBasicAction -----------------------------------------------------------

TBasicAction::~TBasicAction() {
  // The links stay with their clients, only without an action.
  for (TBasicActionLink* link : FClients) link->FAction = nullptr;
  FClients.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

void TBasicAction::Change(TActionProperties changed) {
  // A client may unlink itself while it is told.
  const std::vector<TBasicActionLink*> clients = FClients;
  for (TBasicActionLink* link : clients)
    if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) link->Change(changed);
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) { FClients.push_back(link); }

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), link), FClients.end());
}

// --- TAction ----------------------------------------------------------------

template <class T>
void TAction::Store(T& field, const T& value, TActionProperty property) {
  if (field == value) return;
  field = value;
  Change(property);
}

void TAction::SetCaption(const WideString& value) { Store(FCaption, value, apCaption); }
void TAction::SetChecked(bool value) { Store(FChecked, value, apChecked); }
void TAction::SetEnabled(bool value) { Store(FEnabled, value, apEnabled); }
void TAction::SetVisible(bool value) { Store(FVisible, value, apVisible); }
void TAction::SetHelpContext(int value) { Store(FHelpContext, value, apHelpContext); }
void TAction::SetHint(const WideString& value) { Store(FHint, value, apHint); }
void TAction::SetShortCut(TShortCut value) { Store(FShortCut, value, apShortCut); }
