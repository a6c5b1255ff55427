#include "controls/list/win32/ElCtrlScrollBarStyles.h"

#include <cstring>

#include "framework/Exception.h"
#include "framework/Filer.h"

namespace {
struct TColorName {
  TColor Color;
  const char* Name;
};
const TColorName kColorNames[] = {
    {clBlack, "clBlack"},         {clWhite, "clWhite"},           {clNone, "clNone"},
    {clScrollBar, "clScrollBar"}, {clBtnFace, "clBtnFace"},       {clBtnShadow, "clBtnShadow"},
    {clBtnHighlight, "clBtnHighlight"}, {cl3DDkShadow, "cl3DDkShadow"}, {clBtnText, "clBtnText"},
    {clWindow, "clWindow"},       {clWindowText, "clWindowText"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clInfoBk, "clInfoBk"}, {clInfoText, "clInfoText"},
    {clGrayText, "clGrayText"},
};

TColor ReadColor(TReader& reader) {
  if (reader.NextValue() == vaIdent) {
    const std::string name = reader.ReadIdent();
    for (const TColorName& entry : kColorNames)
      if (name == entry.Name) return entry.Color;
    throw EReadError("Invalid property value");
  }
  return static_cast<TColor>(reader.ReadInteger());
}

void WriteColor(TWriter& writer, TColor color) {
  for (const TColorName& entry : kColorNames)
    if (entry.Color == color) {
      writer.WriteIdent(entry.Name);
      return;
    }
  writer.WriteInteger(color);
}

template <typename E, size_t N>
E ReadEnum(TReader& reader, const char* const (&names)[N]) {
  const std::string name = reader.ReadIdent();
  for (size_t i = 0; i < N; ++i)
    if (name == names[i]) return static_cast<E>(i);
  throw EReadError("Invalid property value");
}

const char* const kThumbModes[] = {"etmFixed", "etmAuto"};
const char* const kSecondKinds[] = {"sbkOpposite", "sbkPage", "sbkCustom"};

using TBar = TElSBHandlerCustom;
}  // namespace

void TElCtrlScrollBarStyles::DefineProperties(TFiler* filer) {
  TElSBHandlerCustom defaults(nullptr, Kind());
  auto flag = [&](const char* name, bool (TBar::*get)() const, void (TBar::*set)(bool)) {
    filer->DefineProperty(
        name, [this, set](TReader& reader) { (this->*set)(reader.ReadBoolean()); },
        [this, get](TWriter& writer) { writer.WriteBoolean((this->*get)()); }, (this->*get)() != (defaults.*get)());
  };
  auto number = [&](const char* name, int (TBar::*get)() const, void (TBar::*set)(int)) {
    filer->DefineProperty(
        name, [this, set](TReader& reader) { (this->*set)(reader.ReadInteger()); },
        [this, get](TWriter& writer) { writer.WriteInteger((this->*get)()); }, (this->*get)() != (defaults.*get)());
  };
  auto colour = [&](const char* name, TColor (TBar::*get)() const, void (TBar::*set)(TColor)) {
    filer->DefineProperty(
        name, [this, set](TReader& reader) { (this->*set)(ReadColor(reader)); },
        [this, get](TWriter& writer) { WriteColor(writer, (this->*get)()); }, (this->*get)() != (defaults.*get)());
  };
  flag("ActiveFlat", &TBar::ActiveFlat, &TBar::SetActiveFlat);
  flag("AltDisablingArrows", &TBar::AltDisablingArrows, &TBar::SetAltDisablingArrows);
  colour("ArrowColor", &TBar::ArrowColor, &TBar::SetArrowColor);
  colour("ArrowHotTrackColor", &TBar::ArrowHotTrackColor, &TBar::SetArrowHotTrackColor);
  colour("BarColor", &TBar::BarColor, &TBar::SetBarColor);
  number("BarOffset", &TBar::BarOffset, &TBar::SetBarOffset);
  flag("BlendBackground", &TBar::BlendBackground, &TBar::SetBlendBackground);
  // Only a fixed button size is stored; with system metrics the platform decides.
  filer->DefineProperty(
      "ButtonSize", [this](TReader& reader) { SetButtonSize(reader.ReadInteger()); },
      [this](TWriter& writer) { writer.WriteInteger(FixedButtonSize()); },
      !UseSystemMetrics() && FixedButtonSize() != defaults.FixedButtonSize());
  flag("ChangeColorsOnScroll", &TBar::ChangeColorsOnScroll, &TBar::SetChangeColorsOnScroll);
  colour("Color", &TBar::Color, &TBar::SetColor);
  flag("DrawArrowFrames", &TBar::DrawArrowFrames, &TBar::SetDrawArrowFrames);
  flag("DrawBars", &TBar::DrawBars, &TBar::SetDrawBars);
  flag("Flat", &TBar::Flat, &TBar::SetFlat);
  colour("HintColor", &TBar::HintColor, &TBar::SetHintColor);
  colour("HintTextColor", &TBar::HintTextColor, &TBar::SetHintTextColor);
  flag("IsHTML", &TBar::IsHTML, &TBar::SetIsHTML);
  number("MinThumbSize", &TBar::MinThumbSize, &TBar::SetMinThumbSize);
  flag("NoDisableButtons", &TBar::NoDisableButtons, &TBar::SetNoDisableButtons);
  flag("NoSunkenThumb", &TBar::NoSunkenThumb, &TBar::SetNoSunkenThumb);
  // No stored default: always written.
  filer->DefineProperty(
      "OwnerDraw", [this](TReader& reader) { SetOwnerDraw(reader.ReadBoolean()); },
      [this](TWriter& writer) { writer.WriteBoolean(OwnerDraw()); }, true);
  flag("SecondaryButtons", &TBar::SecondaryButtons, &TBar::SetSecondaryButtons);
  filer->DefineProperty(
      "SecondBtnKind", [this](TReader& reader) { SetSecondBtnKind(ReadEnum<TElSecButtonsKind>(reader, kSecondKinds)); },
      [this](TWriter& writer) { writer.WriteIdent(kSecondKinds[SecondBtnKind()]); },
      SecondBtnKind() != defaults.SecondBtnKind());
  flag("ShowBorder", &TBar::ShowBorder, &TBar::SetShowBorder);
  flag("ShowLeftArrows", &TBar::ShowLeftArrows, &TBar::SetShowLeftArrows);
  flag("ShowRightArrows", &TBar::ShowRightArrows, &TBar::SetShowRightArrows);
  flag("ShowTrackHint", &TBar::ShowTrackHint, &TBar::SetShowTrackHint);
  number("Step", &TBar::Step, &TBar::SetStep);
  flag("SystemBkColor", &TBar::SystemBkColor, &TBar::SetSystemBkColor);
  flag("ThinFrame", &TBar::ThinFrame, &TBar::SetThinFrame);
  filer->DefineProperty(
      "ThumbMode", [this](TReader& reader) { SetThumbMode(ReadEnum<TElScrollThumbMode>(reader, kThumbModes)); },
      [this](TWriter& writer) { writer.WriteIdent(kThumbModes[ThumbMode()]); }, ThumbMode() != defaults.ThumbMode());
  number("ThumbSize", &TBar::ThumbSize, &TBar::SetThumbSize);
  flag("UseSystemMetrics", &TBar::UseSystemMetrics, &TBar::SetUseSystemMetrics);
  flag("UseSystemStep", &TBar::UseSystemStep, &TBar::SetUseSystemStep);
  flag("UseXPThemes", &TBar::UseXPThemes, &TBar::SetUseXPThemes);
  // The depth is stored only when it is not the system's.
  filer->DefineProperty(
      "Width", [this](TReader& reader) { SetWidth(reader.ReadInteger()); },
      [this](TWriter& writer) { writer.WriteInteger(Width()); }, !UseSystemMetrics());
  // Written by older versions: read, never written.
  filer->DefineProperty("Enabled", [](TReader& reader) { reader.ReadBoolean(); }, nullptr, false);
  filer->DefineProperty("ThinFrames", [this](TReader& reader) { SetThinFrame(reader.ReadBoolean()); }, nullptr, false);
  filer->DefineProperty("DrawFrames", [this](TReader& reader) { SetShowBorder(reader.ReadBoolean()); }, nullptr, false);
}
