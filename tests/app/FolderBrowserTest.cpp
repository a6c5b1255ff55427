#include "app/FolderBrowser.h"

#include <gtest/gtest.h>

#include "framework/win32/UtilityWindow.h"
#include "tests/app/MainFormTestSupport.h"

namespace {

TEST(FolderBrowserTest, TheRecordAsksForAnEditBoxInTheNewStyleFromTheDesktop) {
  const WideString path = u"C:\\data";
  const WideString title = u"Select directory to DeCompression";
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  for (const WideString* initial : {&path, static_cast<const WideString*>(nullptr)}) {
    const WideString empty;
    const WideString& initialPath = initial != nullptr ? *initial : empty;
    BROWSEINFOW info;
    memset(&info, 0xAB, sizeof(info));
    FillBrowseInfo(info, owner, initialPath, title);
    EXPECT_EQ(info.hwndOwner, owner);
    EXPECT_EQ(info.pidlRoot, nullptr);
    EXPECT_EQ(info.pszDisplayName, nullptr);
    EXPECT_EQ(info.lpszTitle, reinterpret_cast<LPCWSTR>(title.c_str()));
    EXPECT_EQ(info.ulFlags, 0x150u);
    EXPECT_EQ(info.lpfn, &BrowseCallback);
    EXPECT_EQ(info.lParam, initial != nullptr ? reinterpret_cast<LPARAM>(path.c_str()) : 0);
    EXPECT_EQ(info.iImage, 0);
  }
}

TEST(FolderBrowserTest, TheCallbackPreselectsTheWidePathWhenTheDialogIsUpAndIgnoresTheRest) {
  std::vector<TMessage> received;
  HWND window = AllocateHWnd([&received](TMessage& message) {
    if (message.Msg >= WM_USER) received.push_back(message);
  });
  const WideString path = u"C:\\\u65E5";
  const LPARAM data = reinterpret_cast<LPARAM>(path.c_str());
  EXPECT_EQ(BrowseCallback(window, BFFM_SELCHANGED, 0, data), 0);
  EXPECT_EQ(BrowseCallback(window, BFFM_VALIDATEFAILEDW, 0, data), 0);
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(BrowseCallback(window, BFFM_INITIALIZED, 0, data), 0);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].Msg, static_cast<UINT>(BFFM_SETSELECTIONW));
  EXPECT_EQ(received[0].WParam, static_cast<WPARAM>(TRUE));
  EXPECT_EQ(received[0].LParam, data);
  DeallocateHWnd(window);
}

TEST_F(MainWindowTest, BrowseChoosesThePreselectedFolderOrKeepsThePathWhenCancelled) {
  wchar_t windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const WideString folder = reinterpret_cast<const char16_t*>(windows);
  form->ScanPath->SetText(folder);
  boxes.Expect(IDOK);
  ClickBrowse();
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, reinterpret_cast<LPCWSTR>(form->ScanPath->Text().c_str()),
                           -1, windows, -1),
            CSTR_EQUAL)
      << EncodeEscapedUtf8(form->ScanPath->Text());

  form->ScanPath->SetText(u"C:\\typed by hand");
  boxes.Expect(IDCANCEL);
  ClickBrowse();
  ASSERT_EQ(boxes.seen.size(), 2u);
  EXPECT_EQ(form->ScanPath->Text(), u"C:\\typed by hand");
}

}  // namespace
