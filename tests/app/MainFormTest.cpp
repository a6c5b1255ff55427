#include <gtest/gtest.h>

#include "tests/app/MainFormTestSupport.h"

// Found by argument lookup only at the global scope, where RECT lives.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}


namespace {

using Lines = std::vector<std::string>;

const Lines kFullRun = {
    "Found compressed Dir: C:\\d\\S",   "Uncompressed OK", "Found compressed File: C:\\d\\a",
    "Uncompressed OK",                  "Found compressed File: C:\\d\\S\\x",
    "Uncompressed OK",                  "Found compressed File: C:\\d\\T\\y",
    "Uncompressed OK",                  "DeCompression Thread Terminated",
};

RECT PlacementIn(HWND parent, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return RECT{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(MainWindowTest, FirstShowIsIdleWithTheDesignedTextsAndPlaces) {
  ExpectIdle();
  EXPECT_EQ(Status(), "Ready for DeCompression.");
  EXPECT_TRUE(form->RecursiveCB->Checked());
  EXPECT_EQ(EncodeEscapedUtf8(form->ScanPath->Text()), "C:\\");
  EXPECT_EQ(form->LogBox->Items()->GetCount(), 0);
  EXPECT_EQ(SendMessageW(form->LogBox->Handle(), LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(form->PathLabel->Caption(), u"Path:");
  EXPECT_EQ(form->RecursiveCB->Caption(), u"Scan recursive");
  EXPECT_EQ(form->ScanPath->Button()->Caption(), u"Browse");

  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 734);
  EXPECT_EQ(client.bottom, 414);
  const HWND window = form->Handle();
  EXPECT_EQ(PlacementIn(window, form->ScanPath->Handle()), (RECT{40, 8, 686, 21}));
  EXPECT_EQ(PlacementIn(window, form->RecursiveCB->Handle()), (RECT{40, 35, 93, 17}));
  EXPECT_EQ(PlacementIn(window, form->Scan->Handle()), (RECT{16, 77, 97, 25}));
  EXPECT_EQ(PlacementIn(window, form->LogBox->Handle()), (RECT{8, 112, 718, 276}));
  EXPECT_EQ(PlacementIn(window, form->StatusBar->Handle()), (RECT{0, 395, 734, 19}));
  EXPECT_EQ(form->PathLabel->Left(), 8);
  EXPECT_EQ(form->PathLabel->Top(), 12);
}

TEST_F(MainWindowTest, ResizingStretchesThePathAndTheLogAndKeepsTheStatusBarAtTheBottom) {
  RECT frame;
  GetWindowRect(form->Handle(), &frame);
  SetWindowPos(form->Handle(), nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top + 60,
               SWP_NOMOVE | SWP_NOZORDER);
  PumpFor(20);
  const HWND window = form->Handle();
  EXPECT_EQ(PlacementIn(window, form->ScanPath->Handle()), (RECT{40, 8, 786, 21}));
  EXPECT_EQ(PlacementIn(window, form->RecursiveCB->Handle()), (RECT{40, 35, 93, 17}));
  EXPECT_EQ(PlacementIn(window, form->Scan->Handle()), (RECT{16, 77, 97, 25}));
  EXPECT_EQ(PlacementIn(window, form->LogBox->Handle()), (RECT{8, 112, 818, 336}));
  EXPECT_EQ(PlacementIn(window, form->StatusBar->Handle()), (RECT{0, 455, 834, 19}));
  // The Browse button stays inside the right edge of the path entry, over
  // its whole client height, and the text area ends where it begins.
  RECT edit;
  GetClientRect(form->ScanPath->Handle(), &edit);
  const TElEditBtn* button = form->ScanPath->Button();
  EXPECT_EQ(button->Left(), edit.right - 75);
  EXPECT_EQ(button->Width(), 75);
  EXPECT_EQ(button->Top(), 0);
  EXPECT_EQ(button->Height(), edit.bottom);
}

TEST_F(MainWindowTest, ThePathFieldIsTheButtonEditWithTheDesignedProperties) {
  TElButtonEdit& path = *form->ScanPath;
  EXPECT_EQ(path.ClassName(), "TElButtonEdit");
  EXPECT_EQ(path.ButtonCaption(), "Browse");
  EXPECT_EQ(path.ButtonWidth(), 75);
  EXPECT_TRUE(path.ButtonVisible());
  EXPECT_FALSE(path.AltButtonVisible());
  EXPECT_EQ(path.AltButtonWidth(), -1);
  EXPECT_EQ(path.AltButton()->Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(path.ButtonShortcut(), 0);
  EXPECT_EQ(path.AltButtonShortcut(), 0);
  EXPECT_EQ(path.ButtonPopupPlace(), ppDown);
  EXPECT_EQ(path.AltButtonPopupPlace(), ppDown);
  EXPECT_FALSE(path.Multiline());
  EXPECT_EQ(path.BorderStyle(), bsSingle);
  EXPECT_TRUE(path.Ctl3D());
  EXPECT_EQ(path.Cursor(), crIBeam);
  EXPECT_TRUE(GetWindowLongW(path.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // A 682 x 17 client area: the button covers x 607 to 682, the text the rest.
  RECT client;
  GetClientRect(path.Handle(), &client);
  EXPECT_EQ(client.right, 682);
  EXPECT_EQ(client.bottom, 17);
  EXPECT_EQ(path.Button()->Left(), 607);
  EXPECT_EQ(path.TextArea().right, 607);
  EXPECT_EQ(path.TextArea().left, 0);
}

TEST_F(MainWindowTest, ARunDisablesThePathFieldAndItsButtonLooksDisabledWithoutLosingItsOwnEnabled) {
  BuildTree();
  GateAt(u"C:\\d\\*");
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitAtGate());
  EXPECT_FALSE(form->ScanPath->Enabled());
  EXPECT_TRUE(form->ScanPath->ButtonEnabled());
  // A disabled window gets no mouse input: Browse cannot be pressed now.
  ClickBrowse();
  EXPECT_EQ(boxes.seen.size(), 1u);
  ReleaseGate();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_TRUE(form->ScanPath->Enabled());
  EXPECT_EQ(form->ScanPath->Text(), u"C:\\d");
}

TEST_F(MainWindowTest, TabMovesTheFocusThroughScanLogBoxScanPathRecursiveCB) {
  form->Scan->SetFocus();
  const HWND order[] = {form->LogBox->Handle(), form->ScanPath->Handle(), form->RecursiveCB->Handle(),
                        form->Scan->Handle()};
  for (HWND expected : order) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    Application->ProcessMessages();
    EXPECT_EQ(GetFocus(), expected);
  }
}

TEST_F(MainWindowTest, EnterOrSpaceOnTheFocusedDeCompressButtonAsksTheQuestion) {
  for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_SPACE}}) {
    SCOPED_TRACE(key);
    const size_t before = boxes.seen.size();
    form->Scan->SetFocus();
    boxes.Expect(IDNO);
    PostMessageW(form->Scan->Handle(), WM_KEYDOWN, key, 0);
    PostMessageW(form->Scan->Handle(), WM_KEYUP, key, 0);
    ASSERT_TRUE(PumpUntil([&] { return boxes.seen.size() > before; }));
    EXPECT_EQ(boxes.seen.back().caption, "Continue?");
    ExpectIdle();
  }
}

TEST_F(MainWindowTest, ContinueAnsweredNoOrCancelLeavesEverythingAsItWas) {
  for (int answer : {IDNO, IDCANCEL}) {
    SCOPED_TRACE(answer);
    form->LogBox->Items()->Add(u"earlier line");
    boxes.Expect(answer);
    PressScan();
    ASSERT_FALSE(boxes.seen.empty());
    const TSeenBox& box = boxes.seen.back();
    EXPECT_EQ(box.caption, "Continue?");
    EXPECT_EQ(box.text, "Do you really want to DeCompress all files and directories in the path selected?");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    EXPECT_EQ(box.icon, "exclamation");
    ExpectIdle();
    EXPECT_EQ(Log().back(), "earlier line");
    EXPECT_EQ(Status(), "Ready for DeCompression.");
  }
}

TEST_F(MainWindowTest, YesRunsTheWalkAndTheEndHandlerReturnsToIdle) {
  BuildTree();
  form->LogBox->Items()->Add(u"earlier line");
  StartRun(u"C:\\d");
  // Running until the main thread serves the worker's first hand-over.
  ExpectBusy(false);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(Status(), "Ready for DeCompression.");
  ASSERT_TRUE(WaitForRunEnd());
  ExpectIdle();
  EXPECT_EQ(Log(), kFullRun);
  EXPECT_EQ(Status(), "DeCompression of : C:\\d Completed OK");
  EXPECT_EQ(Volume()->Find(u"C:\\d\\a")->compressionFormat, 0);
  EXPECT_EQ(Volume()->Find(u"C:\\d\\T\\y")->compressionFormat, 0);
}

TEST_F(MainWindowTest, WithoutRecursionSubdirectoriesAreClearedButNotEntered) {
  BuildTree();
  ClickRecursive();
  EXPECT_FALSE(form->RecursiveCB->Checked());
  StartRun(u"C:\\d");
  // The option keeps its state through the run, disabled meanwhile.
  EXPECT_FALSE(form->RecursiveCB->Checked());
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_FALSE(form->RecursiveCB->Checked());
  EXPECT_EQ(Log(), (Lines{"Found compressed Dir: C:\\d\\S", "Uncompressed OK", "Found compressed File: C:\\d\\a",
                          "Uncompressed OK", "DeCompression Thread Terminated"}));
}

TEST_F(MainWindowTest, TheRecursiveOptionTogglesByMouseAndSpaceAndWalksBothWays) {
  BuildTree();
  ClickRecursive();
  ClickRecursive();  // back on
  EXPECT_TRUE(form->RecursiveCB->Checked());
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Log(), kFullRun);

  // Space on the focused option turns it off; the next run stays in C:\d.
  BuildTree();
  form->RecursiveCB->SetFocus();
  SendMessageW(form->RecursiveCB->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  SendMessageW(form->RecursiveCB->Handle(), WM_KEYUP, VK_SPACE, 1 | (1 << 30) | (1u << 31));
  EXPECT_FALSE(form->RecursiveCB->Checked());
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Log(), (Lines{"Found compressed Dir: C:\\d\\S", "Uncompressed OK", "Found compressed File: C:\\d\\a",
                          "Uncompressed OK", "DeCompression Thread Terminated"}));
}

TEST_F(MainWindowTest, StatusShowsEachDirectoryAsTheWorkerEntersIt) {
  BuildTree();
  GateAt(u"C:\\d\\S\\*");
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitAtGate());
  EXPECT_TRUE(PumpUntil([this] { return Status() == "Scanning directory : C:\\d\\S"; }));
  ReleaseGate();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Status(), "DeCompression of : C:\\d Completed OK");
}

TEST_F(MainWindowTest, AbortFinishesTheCurrentDirectoryEntersNoOtherAndEndsWithTheCompletionText) {
  BuildTree();
  GateAt(u"C:\\d\\S\\*");
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitAtGate());
  PressScan();  // asks nothing: any box would be counted as unexpected
  ExpectBusy(true);
  PressScan();
  ExpectBusy(true);
  EXPECT_EQ(Log(), (Lines{"Found compressed Dir: C:\\d\\S", "Uncompressed OK", "Found compressed File: C:\\d\\a",
                          "Uncompressed OK", "Aborting DeCompression Thread", "Aborting DeCompression Thread"}));
  ReleaseGate();
  ASSERT_TRUE(WaitForRunEnd());
  ExpectIdle();
  const Lines log = Log();
  EXPECT_EQ(Lines(log.end() - 3, log.end()),
            (Lines{"Found compressed File: C:\\d\\S\\x", "Uncompressed OK", "DeCompression Thread Terminated"}));
  EXPECT_EQ(Status(), "DeCompression of : C:\\d Completed OK");
  for (const WideString& pattern : Volume()->PathsOf("FindFirst")) EXPECT_NE(pattern, u"C:\\d\\T\\*");
  EXPECT_EQ(Volume()->Find(u"C:\\d\\T\\y")->compressionFormat, 1);
}

TEST_F(MainWindowTest, ClosingWhileIdleAsksNothingAndCloses) {
  CloseWindow();
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(MainWindowTest, ClosingDuringARunAnsweredNoOrCancelKeepsTheWindowAndTheRun) {
  BuildTree();
  GateAt(u"C:\\d\\S\\*");
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitAtGate());
  for (int answer : {IDNO, IDCANCEL}) {
    SCOPED_TRACE(answer);
    boxes.Expect(answer);
    CloseWindow();
    const TSeenBox& box = boxes.seen.back();
    EXPECT_EQ(box.caption, "Abort and Close?");
    EXPECT_EQ(box.text, "Do you want to abort the current decompression process and close the software?");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    EXPECT_EQ(box.icon, "question");
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    ExpectBusy(false);
  }
  ReleaseGate();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Log(), kFullRun);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(MainWindowTest, ClosingDuringARunAnsweredYesAbortsWaitsForTheEndAndCloses) {
  BuildTree();
  GateAt(u"C:\\d\\S\\*");
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitAtGate());
  boxes.Expect(IDYES);
  // The worker goes on only once the answer has appended the abort line, so
  // the run cannot end while the question is shown.
  form->LogBox->Items()->OnChange = [this](TObject*) {
    TElListBoxStrings* items = form->LogBox->Items();
    if (items->GetCount() > 0 && items->Get(items->GetCount() - 1) == u"Aborting DeCompression Thread")
      ReleaseGate();
  };
  CloseWindow();
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  ExpectIdle();
  const Lines log = Log();
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(log[4], "Aborting DeCompression Thread");
  EXPECT_EQ(log.back(), "DeCompression Thread Terminated");
  EXPECT_EQ(Status(), "DeCompression of : C:\\d Completed OK");
}

TEST_F(MainWindowTest, ARunThatEndsWhileTheCloseQuestionIsShownClosesWithoutAborting) {
  BuildTree();
  GateAt(u"C:\\d\\S\\*");
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitAtGate());
  // The question's own message loop serves the hand-overs and the end handler.
  boxes.Expect(IDYES, [this] {
    ReleaseGate();
    return DoIt == nullptr;
  });
  CloseWindow();
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  ExpectIdle();
  EXPECT_EQ(Log(), kFullRun);
}

TEST_F(MainWindowTest, ASecondRunClearsTheLogWhileTheStatusKeepsTheOldTextUntilTheNewFirstLine) {
  BuildTree();
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitForRunEnd());
  GateAt(u"C:\\d\\S\\*");
  StartRun(u"C:\\d\\S");
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(Status(), "DeCompression of : C:\\d Completed OK");
  ASSERT_TRUE(WaitAtGate());
  EXPECT_TRUE(PumpUntil([this] { return Status() == "Scanning directory : C:\\d\\S"; }));
  ReleaseGate();
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Log(), Lines{"DeCompression Thread Terminated"});
  EXPECT_EQ(Status(), "DeCompression of : C:\\d\\S Completed OK");
}

TEST_F(MainWindowTest, APathThatIsMissingOrAFileGivesOnlyItsStatusLineAndTheEnd) {
  BuildTree();
  for (const WideString path : {u"C:\\missing", u"C:\\d\\a"}) {
    SCOPED_TRACE(EncodeEscapedUtf8(path));
    const size_t listingsBefore = Volume()->PathsOf("FindFirst").size();
    StartRun(path);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(Log(), Lines{"DeCompression Thread Terminated"});
    EXPECT_EQ(Status(), "DeCompression of : " + EncodeEscapedUtf8(path) + " Completed OK");
    const auto listings = Volume()->PathsOf("FindFirst");
    ASSERT_EQ(listings.size(), listingsBefore + 1);
    EXPECT_EQ(listings.back(), path + u"\\*");
  }
}

TEST_F(MainWindowTest, AnEmptyPathWalksTheRootWithEntryPathsStartingWithOneBackslash) {
  BuildTree();
  StartRun(u"");
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Volume()->PathsOf("FindFirst").front(), u"\\*");
  const Lines log = Log();
  ASSERT_EQ(log.size(), kFullRun.size());
  EXPECT_EQ(log[0], "Found compressed Dir: \\C:\\d\\S");
  EXPECT_EQ(log.back(), "DeCompression Thread Terminated");
  EXPECT_EQ(Status(), "DeCompression of :  Completed OK");
}

TEST_F(MainWindowTest, TextsComposedInTheNarrowCodePageShowWhatItCannotHoldAsItsDefaultCharacter) {
  Volume()->AddDirectory(u"C:\\\u65E5");
  Volume()->AddFile(u"C:\\\u65E5\\f", 1);
  StartRun(u"C:\\\u65E5");
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Log().front(), "Found compressed File: C:\\?\\f");
  EXPECT_EQ(Status(), "DeCompression of : C:\\? Completed OK");
  EXPECT_EQ(Volume()->Find(u"C:\\\u65E5\\f")->compressionFormat, 0);
}

TEST_F(MainWindowTest, AHandOverThatRaisesEndsTheWalkAndTheWindowKeepsWorking) {
  BuildTree();
  bool raised = false;
  form->LogBox->Items()->OnChanging = [&raised](TObject*) {
    if (!raised && DoIt != nullptr) {
      raised = true;
      throw Exception("Unable to insert a line");
    }
  };
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitForRunEnd());
  // The first line failed; the walk ended there, the end handler still ran.
  EXPECT_EQ(Log(), Lines{"DeCompression Thread Terminated"});
  EXPECT_EQ(Status(), "DeCompression of : C:\\d Completed OK");
  form->LogBox->Items()->OnChanging = nullptr;
  StartRun(u"C:\\d");
  ASSERT_TRUE(WaitForRunEnd());
  EXPECT_EQ(Log().back(), "DeCompression Thread Terminated");
  ExpectIdle();
}

}  // namespace
