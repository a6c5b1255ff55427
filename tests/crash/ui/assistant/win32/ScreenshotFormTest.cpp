#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <optional>
#include <thread>

#include "crash/image/win32/INVBitmap.h"
#include "crash/ui/assistant/win32/AssistantRunner.h"
#include "crash/ui/assistant/win32/ScreenshotFormHandler.h"
#include "tests/crash/ui/assistant/win32/AssistantTestSupport.h"

namespace {

constexpr int kEmailEdit = TAssistantFormWindow::kFirstItemId + 6;
constexpr int kAttachCheck = TAssistantFormWindow::kFirstItemId + 3;
constexpr int kScreenshotImage = TAssistantFormWindow::kFirstItemId + 4;
const char* const kProgId = "RavelinTest.EditBitmap";

std::string Beside(const char* file) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path = self;
  return path.substr(0, path.find_last_of('\\') + 1) + file;
}

// Makes the stand-in editor the shell's "edit" program for bitmap files, and
// puts back what was registered before when it goes.
class TEditVerbRegistration {
 public:
  TEditVerbRegistration() {
    char value[256];
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ".bmp", value, &size) == ERROR_SUCCESS) FPrevious = value;
    RegSetValueA(HKEY_CLASSES_ROOT, ".bmp", REG_SZ, kProgId, 0);
    const std::string command = "\"" + Beside("bmp_edit_stand_in.exe") + "\" \"%1\"";
    RegSetValueA(HKEY_CLASSES_ROOT, (std::string(kProgId) + "\\shell\\edit\\command").c_str(), REG_SZ,
                 command.c_str(), 0);
  }
  ~TEditVerbRegistration() {
    for (const char* key : {"\\shell\\edit\\command", "\\shell\\edit", "\\shell", ""})
      RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kProgId) + key).c_str());
    if (FPrevious)
      RegSetValueA(HKEY_CLASSES_ROOT, ".bmp", REG_SZ, FPrevious->c_str(), 0);
    else
      RegDeleteKeyA(HKEY_CLASSES_ROOT, ".bmp");
  }

 private:
  std::optional<std::string> FPrevious;
};

int LineCount(const std::string& file) {
  std::ifstream in(file);
  int count = 0;
  for (std::string line; std::getline(in, line);) ++count;
  return count;
}

std::uint32_t PixelAt(const TIMEException& exception, int x, int y) {
  auto picture = std::static_pointer_cast<TINVBitmap>(exception.Screenshot());
  const std::uint8_t* pixel = picture->Pixels().Row(y) + x * 4;
  return pixel[0] | pixel[1] << 8 | pixel[2] << 16;
}

void Press(HWND form, int id, int code = BN_CLICKED) {
  SendMessageA(form, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(form, id)));
}

HWND Await(const std::string& headline) {
  HWND form = nullptr;
  Eventually([&] { return (form = FindShownForm(headline)) != nullptr; });
  return form;
}

TEST(ScreenshotFormTest, EditedPictureComesBackAndTheTickDecidesTheAttachment) {
  TEditVerbRegistration registration;
  const std::string log = Beside("bmp_edit_stand_in.log");
  DeleteFileA(log.c_str());
  SetEnvironmentVariableA("RAVELIN_EDIT_LOG", log.c_str());
  TKernelHandle go(CreateEventA(nullptr, TRUE, FALSE, "RavelinTestBmpEditGo"));

  auto exception = MakeTestException();
  exception->SetScrShotDepth(4);
  exception->SetAttachScreenshot(true);
  TINVBitmapRef picture = TINVBitmap::Create(64, 48);
  ASSERT_TRUE(picture);
  PatBlt(picture->DC(), 0, 0, 64, 48, WHITENESS);
  exception->SetScreenshot(picture);
  ASSERT_EQ(PixelAt(*exception, 10, 10), 0xFFFFFFu);

  std::promise<int> promise;
  std::future<int> result = promise.get_future();
  std::thread running([&] { promise.set_value(RunSendAssistant(nullptr, *exception)); });
  HWND contact = Await("Contact Information");
  ASSERT_NE(contact, nullptr);
  SendMessageA(GetDlgItem(contact, kEmailEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("anna@example.org"));
  Press(contact, TAssistantFormWindow::kContinueId);
  Press(Await("Error Details"), TAssistantFormWindow::kSkipId);
  HWND form = Await("Screenshot Configuration");
  ASSERT_NE(form, nullptr);

  EXPECT_EQ(SendMessageA(GetDlgItem(form, kAttachCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_NE(SendMessageA(GetDlgItem(form, kScreenshotImage), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  HWND continueButton = GetDlgItem(form, TAssistantFormWindow::kContinueId);
  EXPECT_TRUE(Eventually([&] { return FocusOf(form) == continueButton; }));

  // Two clicks while the editor runs start it once.
  const std::string file = ReporterTempDirectory() + "screenShot.bmp";
  Press(form, kScreenshotImage, STN_CLICKED);
  EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
  Press(form, kScreenshotImage, STN_CLICKED);
  SetEvent(go.Get());
  EXPECT_TRUE(Eventually([&] { return LineCount(log) == 1; }));
  // The timer takes the edited file back as the exception's screenshot.
  EXPECT_TRUE(Eventually([&] { return exception->Screenshot() != picture; }));
  EXPECT_EQ(PixelAt(*exception, 10, 10), 0u);
  // With the editor gone a click starts it again.
  Press(form, kScreenshotImage, STN_CLICKED);
  EXPECT_TRUE(Eventually([&] { return LineCount(log) == 2; }));

  SendMessageA(GetDlgItem(form, kAttachCheck), BM_CLICK, 0, 0);
  Press(form, TAssistantFormWindow::kContinueId);
  running.join();
  EXPECT_EQ(result.get(), 1);
  EXPECT_FALSE(exception->AttachScreenshot());
  EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);  // the edited copy is gone
  DeleteFileA(log.c_str());
}

}  // namespace
