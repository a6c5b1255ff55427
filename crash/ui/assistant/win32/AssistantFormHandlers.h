#pragma once
// The handlers a form resource names in its OnAction, looked up by name.
// A handler reads and changes the form's items; the form's window shows the
// change when the handler returns. Handling thread only.
#include <functional>
#include <string>

#include "crash/ui/assistant/AssistantForm.h"

class TIMEException;

// Why a handler is called.
enum TAssistantAction {
  aaShow = 0,    // the form is being shown
  aaClosed = 2,  // the form was closed (its Result says how)
  aaChanged = 3  // an item changed or was clicked; the timer fired (no item)
};

// What the handler may ask of the form's window beyond the items.
class IAssistantFormView {
 public:
  virtual ~IAssistantFormView() = default;
  // Shows a bitmap in an image item; the window keeps the handle, the caller
  // keeps nothing. Null clears the image.
  virtual void SetImage(const std::string& item, void* bitmap) = 0;
};

struct TAssistantFormCall {
  TAssistantForm& Form;
  TAssistantAction Action;
  TAssistantFormItem* Item;  // null: none
  TIMEException& Exception;
  IAssistantFormView& View;
};

using TAssistantFormHandler = std::function<void(TAssistantFormCall& call)>;

// The handler of that name ("Ostrel.HandleContactForm", ...); empty when
// there is none.
TAssistantFormHandler FindAssistantFormHandler(const std::string& name);
