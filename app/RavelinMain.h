#pragma once
// The tool's only window: a path with a Browse button, the "Scan recursive"
// option, the button that starts a run and aborts it, the log and the status
// line. At most one run exists at a time; DoIt is the record of it.
#include "controls/check/win32/ElCheckBox.h"
#include "controls/edit/win32/ElButtonEdit.h"
#include "controls/list/win32/ElListBox.h"
#include "controls/list/win32/ElStatusBar.h"
#include "framework/win32/Form.h"
#include "framework/win32/StdCtrls.h"

class WorkingThread;

class TRavelinMainForm : public TForm {
 public:
  explicit TRavelinMainForm(TComponent* owner);
  std::string ClassName() const override { return "TRavelinMainForm"; }

  // The controls, owned by the form.
  TButton* Scan;
  TElListBox* LogBox;
  TElStatusBar* StatusBar;
  TElButtonEdit* ScanPath;
  TElCheckBox* RecursiveCB;
  TLabel* PathLabel;

  void FormShow(TObject* sender);
  void ScanClick(TObject* sender);
  void ScanPathButtonClick(TObject* sender);
  // The worker's end handler, on the main thread; sender is the ending thread.
  void DoItTerminate(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
};

extern TRavelinMainForm* RavelinMainForm;
// The running worker; null while no run is under way. Main thread only.
extern WorkingThread* DoIt;
