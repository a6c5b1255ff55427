#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "crash/image/win32/INVBitmap.h"
#include "crash/ui/assistant/win32/AssistantFormWindow.h"
#include "tests/crash/ui/assistant/win32/AssistantTestSupport.h"

namespace {

TAssistantFormItem Button(const std::string& name) {
  TAssistantFormItem item;
  item.Kind = TAssistantItemKind::Button;
  item.Name = name;
  item.Caption = name;
  return item;
}

// An image item that names a file shows that picture.
TEST(AssistantImageTest, ImageItemShowsTheFileItNames) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string file = std::string(temp) + "ravelin-assistant-image.bmp";
  TINVBitmapRef picture = TINVBitmap::Create(40, 30);
  ASSERT_TRUE(picture);
  PatBlt(picture->DC(), 0, 0, 40, 30, WHITENESS);
  ASSERT_TRUE(WriteBmpFile(*picture, file));

  TAssistantForm form;
  form.Message = "Pictures";
  form.Items = {Button("ContinueBtn"), Button("SkipBtn"), Button("CancelBtn")};
  TAssistantFormItem image;
  image.Kind = TAssistantItemKind::Image;
  image.Name = "Picture";
  image.File = file;
  form.Items.push_back(image);
  image.Name = "NoPicture";
  image.File = file + ".missing";
  form.Items.push_back(image);

  auto exception = MakeTestException();
  TAssistantFormResult result = afrNone;
  std::thread running([&] {
    TAssistantFormWindow window(form, "Images", *exception);
    result = window.ShowModal(nullptr);
  });
  HWND shown = nullptr;
  for (int tries = 0; tries < 3000 && !(shown = FindShownForm("Pictures")); ++tries) Sleep(10);
  ASSERT_NE(shown, nullptr);
  HWND picture1 = GetDlgItem(shown, TAssistantFormWindow::kFirstItemId + 3);
  HWND picture2 = GetDlgItem(shown, TAssistantFormWindow::kFirstItemId + 4);
  BITMAP bitmap{};
  const auto shownBitmap = reinterpret_cast<HBITMAP>(SendMessageA(picture1, STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(shownBitmap, nullptr);
  ASSERT_NE(GetObjectA(shownBitmap, sizeof bitmap, &bitmap), 0);
  EXPECT_EQ(bitmap.bmWidth, 40);
  EXPECT_EQ(bitmap.bmHeight, 30);
  EXPECT_EQ(SendMessageA(picture2, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);  // a missing file shows nothing
  SendMessageA(shown, WM_COMMAND, MAKEWPARAM(TAssistantFormWindow::kSkipId, BN_CLICKED), 0);
  running.join();
  EXPECT_EQ(result, afrSkip);
  DeleteFileA(file.c_str());
}

}  // namespace
