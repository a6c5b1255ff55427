#include "app/WorkingThread.h"

#include <memory>

#include "app/RavelinMain.h"
#include "platform/SystemFileSystem.h"
#include "worker/DirectoryWalk.h"

TRunFileSystemSource WorkingThreadFileSystem = nullptr;

WorkingThread::WorkingThread(bool createSuspended, const WideString& path, bool recursive)
    // The base always starts suspended: a thread running before this
    // constructor has copied the path would walk an empty one.
    : TThread(true), FPath(path), FRecursive(recursive) {
  if (!createSuspended) Resume();
}

WorkingThread::~WorkingThread() = default;

void WorkingThread::Execute() {
  std::unique_ptr<TVolumeControl> systemVolume;
  std::unique_ptr<IDirectoryLister> systemLister;
  TRunFileSystem fileSystem{nullptr, nullptr};
  if (WorkingThreadFileSystem != nullptr) fileSystem = WorkingThreadFileSystem();
  if (fileSystem.volume == nullptr || fileSystem.lister == nullptr) {
    systemVolume = CreateSystemVolumeControl();
    systemLister = CreateSystemDirectoryLister();
    fileSystem = TRunFileSystem{systemVolume.get(), systemLister.get()};
  }
  TDirectoryWalk walk(*fileSystem.volume, *fileSystem.lister, *this, FRecursive);
  walk.ScanDirectory(FPath);
}

void WorkingThread::AddLogLine(const WideString& line) {
  FLogLine = line;
  Synchronize(static_cast<void (WorkingThread::*)()>(&WorkingThread::AddLogLine));
}

void WorkingThread::ShowStatusLine(const WideString& line) {
  FStatusLine = line;
  Synchronize(static_cast<void (WorkingThread::*)()>(&WorkingThread::ShowStatusLine));
}

void WorkingThread::AddLogLine() {
  if (RavelinMainForm == nullptr) return;
  RavelinMainForm->LogBox->Items()->Add(FLogLine);
  AutoScrollLog(RavelinMainForm->LogBox);
}

void WorkingThread::ShowStatusLine() {
  if (RavelinMainForm == nullptr) return;
  RavelinMainForm->StatusBar->SetSimpleText(FStatusLine);
}

void WorkingThread::AutoScrollLog(TCustomElListBox* listBox) {
  if (listBox == nullptr) return;
  try {
    const double lineHeight = listBox->Canvas()->TextExtent(u"Aj").cy;
    if (!(lineHeight > 0)) return;
    const int height = listBox->Height();
    if (!(height > 0)) return;
    const int visibleLines = static_cast<int>(height / lineHeight + 0.5);
    const int count = listBox->Items()->GetCount();
    if (visibleLines + listBox->TopIndex() >= count - 3) listBox->SetTopIndex(count - 1);
  } catch (...) {
    // The line is already in the log; scrolling is only a convenience.
  }
}
