#include "app/RavelinMain.h"

#include <vector>

#include "app/FolderBrowser.h"
#include "framework/win32/Application.h"
#include "platform/CodePage.h"
#include "app/WorkingThread.h"

TRavelinMainForm* RavelinMainForm = nullptr;
WorkingThread* DoIt = nullptr;

namespace {
const char16_t kAbortingLine[] = u"Aborting DeCompression Thread";
}

TRavelinMainForm::TRavelinMainForm(TComponent* owner) : TForm(owner) {
  // The designed window.
  SetCaption(u"Ravelin - Copyright (C) The Ravelin Developers");
  SetClientSize(734, 414);
  SetPosition(poDefaultPosOnly);
  SetColor(clBtnFace);
  Font()->SetName(u"MS Sans Serif");
  Font()->SetHeight(-11);
  Font()->SetCharset(DEFAULT_CHARSET);
  Font()->SetColor(clWindowText);
  OnShow = [this](TObject* sender) { FormShow(sender); };
  OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };

  Scan = new TButton(this);
  Scan->SetName("Scan");
  Scan->SetParent(this);
  Scan->SetBounds(16, 77, 97, 25);
  Scan->SetCaption(u"DeCompress");
  Scan->OnClick = [this](TObject* sender) { ScanClick(sender); };

  LogBox = new TElListBox(this);
  LogBox->SetName("LogBox");
  LogBox->SetParent(this);
  LogBox->SetBounds(8, 112, 718, 276);
  LogBox->SetAnchors(akLeft | akTop | akRight | akBottom);
  LogBox->SetItemHeight(13);
  LogBox->SetItemIndex(-1);
  LogBox->SetAllowGrayed(false);
  LogBox->SelectedFont()->SetName(u"MS Sans Serif");
  LogBox->SelectedFont()->SetHeight(-11);
  LogBox->SelectedFont()->SetColor(clHighlightText);
  LogBox->SelectedFont()->SetCharset(DEFAULT_CHARSET);
  for (TElCtrlScrollBarStyles* bar : {LogBox->HorzScrollBarStyles(), LogBox->VertScrollBarStyles()}) {
    bar->SetActiveFlat(false);
    bar->SetWidth(17);
    bar->SetOwnerDraw(false);
  }

  StatusBar = new TElStatusBar(this);
  StatusBar->SetName("StatusBar");
  StatusBar->SetParent(this);
  StatusBar->SetBounds(0, 395, 734, 19);
  StatusBar->SetAlign(alBottom);
  StatusBar->SetSimpleTextIsHTML(false);
  StatusBar->SetResizablePanels(false);
  StatusBar->SetBevel(epbNone);
  StatusBar->SetColor(clBtnFace);
  StatusBar->SetParentColor(false);

  ScanPath = new TElButtonEdit(this);
  ScanPath->SetName("ScanPath");
  ScanPath->SetParent(this);
  ScanPath->SetBounds(40, 8, 686, 21);
  ScanPath->SetAnchors(akLeft | akTop | akRight);
  ScanPath->SetCursor(crIBeam);
  ScanPath->SetBorderStyle(bsSingle);
  ScanPath->SetCtl3D(true);
  ScanPath->SetParentColor(false);
  ScanPath->SetDoubleBuffered(false);
  ScanPath->SetTopMargin(0);
  ScanPath->SetRightMargin(1);
  ScanPath->SetBorderSides(ebsAll);
  ScanPath->SetLineBorderActiveColor(clBlack);
  ScanPath->SetLineBorderInactiveColor(clBlack);
  ScanPath->SetText(u"C:\\");
  ScanPath->SetButtonWidth(75);
  ScanPath->SetButtonCaption("Browse");
  ScanPath->SetButtonPopupPlace(ppDown);
  ScanPath->SetButtonShortcut(0);
  ScanPath->SetAltButtonPopupPlace(ppDown);
  ScanPath->SetAltButtonShortcut(0);
  ScanPath->SetAltButtonWidth(-1);
  ScanPath->SetAltButtonNumGlyphs(1);
  ScanPath->OnButtonClick = [this](TObject* sender) { ScanPathButtonClick(sender); };

  RecursiveCB = new TElCheckBox(this);
  RecursiveCB->SetName("RecursiveCB");
  RecursiveCB->SetParent(this);
  RecursiveCB->SetBounds(40, 35, 93, 17);
  RecursiveCB->SetCaption(u"Scan recursive");
  RecursiveCB->SetState(cbChecked);
  RecursiveCB->SetCheckMargin(5);
  RecursiveCB->SetCursor(crDefault);
  RecursiveCB->SetDoubleBuffered(false);

  PathLabel = new TLabel(this);
  PathLabel->SetName("PathLabel");
  PathLabel->SetParent(this);
  PathLabel->SetBounds(8, 12, 25, 13);
  PathLabel->SetCaption(u"Path:");

  // Tab order: the status bar holds a place but is no stop.
  Scan->SetTabOrder(0);
  LogBox->SetTabOrder(1);
  StatusBar->SetTabOrder(2);
  ScanPath->SetTabOrder(3);
  RecursiveCB->SetTabOrder(4);

  DoIt = nullptr;
}

void TRavelinMainForm::FormShow(TObject* /*sender*/) { StatusBar->SetSimpleText(u"Ready for DeCompression."); }

void TRavelinMainForm::ScanClick(TObject* /*sender*/) {
  if (DoIt != nullptr) {
    LogBox->Items()->Add(kAbortingLine);
    DoIt->Terminate();
    return;
  }
  if (Application->MessageBox(u"Do you really want to DeCompress all files and directories in the path selected?",
                              u"Continue?", MB_YESNOCANCEL | MB_ICONEXCLAMATION) != IDYES)
    return;
  LogBox->Items()->Clear();
  Scan->SetCaption(u"Abort DeCompress");
  ScanPath->SetEnabled(false);
  RecursiveCB->SetEnabled(false);
  const WideString path = ScanPath->Text();
  const bool recursive = RecursiveCB->Checked();
  DoIt = new WorkingThread(true, path, recursive);
  DoIt->SetFreeOnTerminate(true);
  DoIt->OnTerminate = [this](TObject* sender) { DoItTerminate(sender); };
  DoIt->Resume();
}

void TRavelinMainForm::ScanPathButtonClick(TObject* /*sender*/) {
  std::vector<wchar_t> buffer(32000, L'\0');
  if (BrowseForFolder(Handle(), ScanPath->Text(), u"Select directory to DeCompression", buffer.data()))
    ScanPath->SetText(reinterpret_cast<const char16_t*>(buffer.data()));
}

void TRavelinMainForm::DoItTerminate(TObject* /*sender*/) {
  // Composed in the narrow code page, like the worker's texts.
  StatusBar->SetSimpleText(
      NarrowToWide(NarrowString("DeCompression of : ") + WideToNarrow(ScanPath->Text()) + " Completed OK"));
  Scan->SetCaption(u"DeCompress");
  ScanPath->SetEnabled(true);
  RecursiveCB->SetEnabled(true);
  DoIt = nullptr;
  LogBox->Items()->Add(u"DeCompression Thread Terminated");
}

void TRavelinMainForm::FormCloseQuery(TObject* /*sender*/, bool& canClose) {
  if (DoIt == nullptr) {
    canClose = true;
    return;
  }
  if (::MessageBoxA(Handle(), "Do you want to abort the current decompression process and close the software?",
                    "Abort and Close?", MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES) {
    canClose = false;
    return;
  }
  if (DoIt != nullptr) {
    LogBox->Items()->Add(kAbortingLine);
    DoIt->Terminate();
    // Never block: the worker may be waiting in a hand-over that only these
    // calls serve. The end handler clears DoIt.
    while (DoIt != nullptr) Application->ProcessMessages();
  }
  canClose = true;
}
