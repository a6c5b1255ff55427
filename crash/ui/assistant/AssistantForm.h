#pragma once
// One form of an assistant as its form resource describes it: a headline,
// a minimum width, the name of its handler, a timer interval, then its
// items: the three buttons "ContinueBtn", "SkipBtn" and "CancelBtn" first,
// then labels, edits, check boxes and images. The window that shows a form
// reads and writes the items here, so what the user entered stays with the
// form after its window is gone. Owned by one thread at a time.
#include <string>
#include <vector>

enum class TAssistantItemKind { Button, Label, Edit, CheckBox, Image };

// Where an edit's text goes in the report.
enum class TAssistantOutputType { Header, OwnSection };

struct TAssistantFormItem {
  TAssistantItemKind Kind = TAssistantItemKind::Label;
  std::string Name;
  std::string Caption;  // buttons, labels, check boxes
  bool Enabled = true;
  bool Visible = true;
  bool NoOwnerDraw = false;  // buttons
  int Spacing = 0;           // room above the item, in pixels
  // Edits.
  bool Colored = false;
  int Lines = 1;  // more than one: a multi-line memo
  bool Optional = false;
  std::string OutputName;  // check boxes too
  TAssistantOutputType OutputType = TAssistantOutputType::Header;
  std::string Text;
  bool Valid = true;
  // Check boxes.
  bool Checked = false;
  // Images.
  bool Border = false;
  bool Clickable = false;
  std::string File;
  int Width = 0;
  int Height = 0;
};

// How a form was left.
enum TAssistantFormResult { afrNone = 0, afrContinue = 1, afrSkip = 2, afrCancel = 3 };

struct TAssistantForm {
  std::string ClassName;
  std::string Name;
  std::string Message;  // the headline
  int MinWidth = 0;
  std::string OnAction;  // a handler name; empty: none
  int Timer = 0;         // milliseconds between timer events; 0: none
  std::string ActiveControl;  // the item that takes the focus first; empty: the first that can
  std::vector<TAssistantFormItem> Items;
  bool FocusContinue = false;  // the continue button takes the focus when shown
  TAssistantFormResult Result = afrNone;

  // Null when the form has no item of that name (compared ignoring case).
  TAssistantFormItem* Item(const std::string& name);
  const TAssistantFormItem* Item(const std::string& name) const;
};

// Reads a form resource (a component stream whose children are the items).
// Raises TSettingsStreamError on bytes that are no such stream, and on a
// form that lacks one of its three buttons.
TAssistantForm ReadAssistantForm(const std::string& bytes);
