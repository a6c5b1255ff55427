#pragma once
// The screenshot form's handler: shows the exception's screenshot, lets the
// user edit it in the program the shell names for editing bitmaps, takes the
// edited picture back while the form is shown, and decides whether the
// screenshot is attached. One handler per showing of the form; handling
// thread only.
#include <windows.h>

#include <string>

#include "crash/ui/assistant/win32/AssistantFormHandlers.h"
#include "platform/win32/HandleOwners.h"

class TScreenshotFormHandler {
 public:
  void operator()(TAssistantFormCall& call);

 private:
  void Show(TAssistantFormCall& call);
  void Edit(TAssistantFormCall& call);
  void TakeBackEdited(TAssistantFormCall& call);
  void Closed(TAssistantFormCall& call);
  bool EditorRunning() const;

  std::string FFile;         // the bitmap being edited; empty before the first click
  FILETIME FWritten{};       // its modification time when last saved or loaded
  TKernelHandle FEditor;     // the editor started last
};

// "<system temporary directory><executable name>.Ostrel\", created when missing.
std::string ReporterTempDirectory();
