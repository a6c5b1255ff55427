#pragma once
// A shown main window whose runs walk a simulated volume, with its dialogs
// answered by the test and a gate that holds the worker inside a listing.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/RavelinMain.h"
#include "platform/simulated/SimulatedVolume.h"
#include "tests/support/Win32GuiTestSupport.h"
#include "app/WorkingThread.h"

class MainWindowTest : public ::testing::Test {
 protected:
  static TSimulatedVolume*& Volume() {
    static TSimulatedVolume* volume = nullptr;
    return volume;
  }

  void SetUp() override {
    Volume() = new TSimulatedVolume();
    WorkingThreadFileSystem = [] { return TRunFileSystem{Volume(), Volume()}; };
    gateReached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    gateRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Application->SetTitle(u"Ravelin");
    form = new TRavelinMainForm(Application);
    RavelinMainForm = form;
    form->Show();
    PumpFor(30);
  }

  void TearDown() override {
    // Never leave a run behind for the next test.
    SetEvent(gateRelease);
    if (DoIt != nullptr) {
      DoIt->Terminate();
      EXPECT_TRUE(PumpUntil([] { return DoIt == nullptr; }));
    }
    delete form;
    RavelinMainForm = nullptr;
    WorkingThreadFileSystem = nullptr;
    delete Volume();
    Volume() = nullptr;
    CloseHandle(gateReached);
    CloseHandle(gateRelease);
    EXPECT_EQ(boxes.Unexpected(), 0);
    EXPECT_EQ(boxes.Pending(), 0);
  }

  // C:\d lists a, S, b, T; S holds x, T holds y; a, S, x, y are compressed.
  void BuildTree() {
    TSimulatedVolume& volume = *Volume();
    volume.AddDirectory(u"C:\\d");
    volume.AddFile(u"C:\\d\\a", 1);
    volume.AddDirectory(u"C:\\d\\S", 1);
    volume.AddFile(u"C:\\d\\S\\x", 1);
    volume.AddFile(u"C:\\d\\b");
    volume.AddDirectory(u"C:\\d\\T");
    volume.AddFile(u"C:\\d\\T\\y", 1);
  }

  // Holds the worker when it lists pattern, until the gate is released.
  void GateAt(const WideString& pattern) {
    HANDLE reached = gateReached;
    HANDLE release = gateRelease;
    Volume()->OnCall = [pattern, reached, release](const TSimulatedCall& call) {
      if (call.operation == "FindFirst" && call.path == pattern) {
        SetEvent(reached);
        WaitForSingleObject(release, 15000);
      }
    };
  }
  bool WaitAtGate() {
    return PumpUntil([this] { return WaitForSingleObject(gateReached, 0) == WAIT_OBJECT_0; });
  }
  void ReleaseGate() { SetEvent(gateRelease); }

  void PressScan() { SendMessageW(form->Scan->Handle(), BM_CLICK, 0, 0); }
  // A left click in the middle of "Scan recursive", as the mouse gives it.
  void ClickRecursive() {
    HWND box = form->RecursiveCB->Handle();
    const LPARAM middle = MAKELPARAM(form->RecursiveCB->Width() / 2, form->RecursiveCB->Height() / 2);
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageW(box, WM_LBUTTONUP, 0, middle);
  }
  // A left click in the middle of the path field's Browse button, sent to
  // the field's window as the mouse gives it.
  void ClickBrowse() {
    const TElEditBtn* button = form->ScanPath->Button();
    const LPARAM middle = MAKELPARAM(button->Left() + button->Width() / 2, button->Top() + button->Height() / 2);
    SendMessageW(form->ScanPath->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageW(form->ScanPath->Handle(), WM_LBUTTONUP, 0, middle);
  }
  void CloseWindow() { SendMessageW(form->Handle(), WM_CLOSE, 0, 0); }
  // Starts a run on path, answering "Continue?" with Yes.
  void StartRun(const WideString& path) {
    form->ScanPath->SetText(path);
    boxes.Expect(IDYES);
    PressScan();
    ASSERT_NE(DoIt, nullptr);
  }
  bool WaitForRunEnd() { return PumpUntil([] { return DoIt == nullptr; }); }

  std::vector<std::string> Log() {
    std::vector<std::string> lines;
    for (int i = 0; i < form->LogBox->Items()->GetCount(); ++i)
      lines.push_back(EncodeEscapedUtf8(form->LogBox->Items()->Get(i)));
    return lines;
  }
  std::string Status() { return EncodeEscapedUtf8(form->StatusBar->SimpleText()); }
  std::string Caption() { return EncodeEscapedUtf8(form->Scan->Caption()); }

  // The state table's columns, read from the windows themselves.
  void ExpectIdle() {
    EXPECT_EQ(DoIt, nullptr);
    EXPECT_EQ(Caption(), "DeCompress");
    EXPECT_TRUE(IsWindowEnabled(form->ScanPath->Handle()));
    EXPECT_TRUE(IsWindowEnabled(form->RecursiveCB->Handle()));
  }
  void ExpectBusy(bool terminateRequested) {
    ASSERT_NE(DoIt, nullptr);
    EXPECT_EQ(DoIt->Terminated(), terminateRequested);
    EXPECT_EQ(Caption(), "Abort DeCompress");
    EXPECT_FALSE(IsWindowEnabled(form->ScanPath->Handle()));
    EXPECT_FALSE(IsWindowEnabled(form->RecursiveCB->Handle()));
  }

  TDialogAnswerer boxes;
  TRavelinMainForm* form = nullptr;
  HANDLE gateReached = nullptr;
  HANDLE gateRelease = nullptr;
};
