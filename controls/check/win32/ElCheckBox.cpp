#include "controls/check/win32/ElCheckBox.h"

#include <vsstyle.h>

#include "framework/Filer.h"

namespace {

const char* const kAlignments[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const kStates[] = {"cbUnchecked", "cbChecked", "cbGrayed"};

template <size_t N>
int ReadIdentIndex(TReader& reader, const char* const (&names)[N]) {
  const std::string name = reader.ReadIdent();
  for (size_t i = 0; i < N; ++i)
    if (name == names[i]) return static_cast<int>(i);
  throw EReadError("Invalid property value");
}

}  // namespace

TElCheckBox::TElCheckBox(TComponent* owner) : TElCheckItem(owner) {
  BeginCreate();
  EndCreate();
}

void TElCheckBox::SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }

void TElCheckBox::SetState(TCheckBoxState value) {
  if (value == FState || (value == cbGrayed && !FAllowGrayed)) return;
  FState = value;
  Invalidate();
}

void TElCheckBox::SetAllowGrayed(bool value) {
  FAllowGrayed = value;
  if (!value && FState == cbGrayed) SetState(cbUnchecked);
}

void TElCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TElCheckBox::Click() {
  if (ClickedLink() || ReadOnly()) return;
  Toggle();
  ReportCheckedToAction();
  TElCheckItem::Click();
}

int TElCheckBox::ThemePart() const { return BP_CHECKBOX; }

void TElCheckBox::DrawFlatFrame(TCanvas* canvas, const RECT& box, bool money) {
  HDC dc = canvas->Handle();
  const bool sunken = !Enabled() || PressedLook();
  TGdiObject<HBRUSH> inside(CreateSolidBrush(ColorToRGB(sunken ? clBtnFace : clWindow)));
  // The box's three-dimensional ring becomes a one-pixel border with the
  // inside colour right within it; the mark inside stays.
  RECT ring = box;
  InflateRect(&ring, -1, -1);
  FrameRect(dc, &ring, inside.Get());
  TColor border = clBtnShadow;
  if (money) {
    if (Pressed())
      border = MoneyFlatDownColor();
    else if (Handle() == GetFocus() || Hovered())
      border = MoneyFlatActiveColor();
    else
      border = MoneyFlatInactiveColor();
  }
  TGdiObject<HBRUSH> line(CreateSolidBrush(ColorToRGB(border)));
  FrameRect(dc, &box, line.Get());
}

void TElCheckBox::DefineProperties(TFiler* filer) {
  TElCheckItem::DefineProperties(filer);
  // Older form data named the check alignment "Alignment"; it is only read.
  filer->DefineProperty(
      "Alignment",
      [this](TReader& reader) { SetCheckAlignment(static_cast<TLeftRight>(ReadIdentIndex(reader, kAlignments))); },
      nullptr, false);
  filer->DefineProperty(
      "CheckAlignment",
      [this](TReader& reader) { SetCheckAlignment(static_cast<TLeftRight>(ReadIdentIndex(reader, kAlignments))); },
      [this](TWriter& writer) { writer.WriteIdent(kAlignments[CheckAlignment()]); },
      CheckAlignment() != taRightJustify);
  filer->DefineProperty(
      "AllowGrayed", [this](TReader& reader) { SetAllowGrayed(reader.ReadBoolean()); },
      [this](TWriter& writer) { writer.WriteBoolean(FAllowGrayed); }, FAllowGrayed);
  filer->DefineProperty(
      "State",
      [this](TReader& reader) { SetState(static_cast<TCheckBoxState>(ReadIdentIndex(reader, kStates))); },
      [this](TWriter& writer) { writer.WriteIdent(kStates[FState]); }, FState != cbUnchecked);
  filer->DefineProperty(
      "CheckMargin", [this](TReader& reader) { SetCheckMargin(reader.ReadInteger()); },
      [this](TWriter& writer) { writer.WriteInteger(CheckMargin()); }, CheckMargin() != 5);
  filer->DefineProperty(
      "Caption", [this](TReader& reader) { SetCaption(reader.ReadWideString()); },
      [this](TWriter& writer) { writer.WriteWideString(Caption()); }, !Caption().empty());
  filer->DefineProperty(
      "MoneyFlat", [this](TReader& reader) { SetMoneyFlat(reader.ReadBoolean()); },
      [this](TWriter& writer) { writer.WriteBoolean(MoneyFlat()); }, MoneyFlat());
  // The money-flat colours only mean something, and are only stored, with MoneyFlat.
  auto colour = [&](const char* name, TColor (TElButtonControl::*get)() const,
                    void (TElButtonControl::*set)(TColor)) {
    filer->DefineProperty(
        name, [this, set](TReader& reader) { (this->*set)(static_cast<TColor>(reader.ReadInteger())); },
        [this, get](TWriter& writer) { writer.WriteInteger((this->*get)()); }, MoneyFlat());
  };
  colour("MoneyFlatActiveColor", &TElButtonControl::MoneyFlatActiveColor, &TElButtonControl::SetMoneyFlatActiveColor);
  colour("MoneyFlatDownColor", &TElButtonControl::MoneyFlatDownColor, &TElButtonControl::SetMoneyFlatDownColor);
  colour("MoneyFlatInactiveColor", &TElButtonControl::MoneyFlatInactiveColor,
         &TElButtonControl::SetMoneyFlatInactiveColor);
}
