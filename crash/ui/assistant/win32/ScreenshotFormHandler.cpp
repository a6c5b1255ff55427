#include "crash/ui/assistant/win32/ScreenshotFormHandler.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "crash/flow/TIMEException.h"
#include "crash/image/win32/INVBitmap.h"

namespace {

constexpr const char* kImageItem = "ScrShotImg";
constexpr const char* kAttachItem = "AttachCheck";
constexpr const char* kFileName = "screenShot.bmp";
// The room the picture is fitted into when the image item names no size.
constexpr int kShownWidth = 320;
constexpr int kShownHeight = 200;

TINVBitmapRef ScreenshotOf(const TIMEException& exception) {
  return std::static_pointer_cast<TINVBitmap>(exception.Screenshot());
}

bool LastWritten(const std::string& file, FILETIME& written) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) return false;
  written = data.ftLastWriteTime;
  return true;
}

// A copy of the picture scaled to fit the item, keeping its proportions,
// as a bitmap of its own that a static control can show.
HBITMAP FittedCopy(const TINVBitmap& picture, const TAssistantFormItem& item) {
  const int roomWidth = item.Width > 0 ? item.Width : kShownWidth;
  const int roomHeight = item.Height > 0 ? item.Height : kShownHeight;
  const double scale = std::min({1.0, static_cast<double>(roomWidth) / picture.Width(),
                                 static_cast<double>(roomHeight) / picture.Height()});
  const int width = std::max(1, static_cast<int>(picture.Width() * scale));
  const int height = std::max(1, static_cast<int>(picture.Height() * scale));
  TWindowDC screen(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen.Get(), width, height);
  TCreatedDC dc(CreateCompatibleDC(screen.Get()));
  if (!copy || !dc) return copy;
  TSelectedObject selected(dc.Get(), copy);
  SetStretchBltMode(dc.Get(), HALFTONE);
  StretchBlt(dc.Get(), 0, 0, width, height, picture.DC(), 0, 0, picture.Width(), picture.Height(), SRCCOPY);
  return copy;
}

void ShowPicture(TAssistantFormCall& call) {
  const TAssistantFormItem* image = call.Form.Item(kImageItem);
  TINVBitmapRef picture = ScreenshotOf(call.Exception);
  if (image && picture) call.View.SetImage(kImageItem, FittedCopy(*picture, *image));
}

}  // namespace

std::string ReporterTempDirectory() {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string name = module;
  name = name.substr(name.find_last_of("\\/") + 1);
  name = name.substr(0, name.rfind('.'));
  const std::string directory = std::string(temp) + name + ".Ostrel\\";
  CreateDirectoryA(directory.c_str(), nullptr);
  return directory;
}

void TScreenshotFormHandler::operator()(TAssistantFormCall& call) {
  switch (call.Action) {
    case aaShow:
      Show(call);
      break;
    case aaChanged:
      if (call.Item == nullptr)
        TakeBackEdited(call);
      else if (call.Item->Name == kImageItem)
        Edit(call);
      break;
    case aaClosed:
      Closed(call);
      break;
  }
}

void TScreenshotFormHandler::Show(TAssistantFormCall& call) {
  if (TAssistantFormItem* attach = call.Form.Item(kAttachItem)) attach->Checked = call.Exception.AttachScreenshot();
  ShowPicture(call);
}

bool TScreenshotFormHandler::EditorRunning() const {
  return FEditor && WaitForSingleObject(FEditor.Get(), 0) == WAIT_TIMEOUT;
}

void TScreenshotFormHandler::Edit(TAssistantFormCall& call) {
  if (EditorRunning()) return;
  TINVBitmapRef picture = ScreenshotOf(call.Exception);
  if (!picture) return;
  FFile = ReporterTempDirectory() + kFileName;
  if (!WriteBmpFile(*picture, FFile) || !LastWritten(FFile, FWritten)) return;
  SHELLEXECUTEINFOA execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  execute.lpVerb = "edit";
  execute.lpFile = FFile.c_str();
  execute.nShow = SW_SHOWMAXIMIZED;
  FEditor.Reset(ShellExecuteExA(&execute) ? execute.hProcess : nullptr);
}

void TScreenshotFormHandler::TakeBackEdited(TAssistantFormCall& call) {
  FILETIME written;
  if (FFile.empty() || !LastWritten(FFile, written) || CompareFileTime(&written, &FWritten) == 0) return;
  // A file the editor is still writing does not load; the next tick tries again.
  TINVBitmapRef edited = LoadBmp(FFile);
  if (!edited) return;
  FWritten = written;
  call.Exception.SetScreenshot(edited);
  ShowPicture(call);
}

void TScreenshotFormHandler::Closed(TAssistantFormCall& call) {
  if (!FFile.empty()) DeleteFileA(FFile.c_str());
  if (const TAssistantFormItem* attach = call.Form.Item(kAttachItem))
    call.Exception.SetAttachScreenshot(attach->Checked);
}
