#include "worker/DirectoryWalk.h"

#include <memory>

#include "controls/text/ElWideStringList.h"
#include "platform/CodePage.h"

namespace {
// The object slot of an entry holds a flag, not an object.
void* const kDirectoryFlag = reinterpret_cast<void*>(1);

bool IsDotEntry(const WideString& name) { return name == u"." || name == u".."; }

// Runs a release step when the scope ends, also when a hand-over raised.
template <typename Release>
class TScopeExit {
 public:
  explicit TScopeExit(Release release) : FRelease(release) {}
  ~TScopeExit() { FRelease(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  Release FRelease;
};
}  // namespace

WideString ComposeWalkText(const char* literal, const WideString& path) {
  return NarrowToWide(NarrowString(literal) + WideToNarrow(path));
}

TDirectoryWalk::TDirectoryWalk(TVolumeControl& volume, IDirectoryLister& lister,
                               IWalkHost& host, bool recursive)
    : FVolume(volume), FLister(lister), FHost(host), FRecursive(recursive) {}

WideString TDirectoryWalk::ChildPath(const WideString& path, const WideString& name) const {
  // Joined as they stand: a path that already ends in a separator gets a second.
  WideString child;
  child.reserve(path.size() + 1 + name.size());
  child.append(path).push_back(FLister.PathSeparator());
  child.append(name);
  return child;
}

void TDirectoryWalk::HandOverLogLine(const WideString& line) {
  FLogLine = line;
  FHost.AddLogLine(FLogLine);
}

void TDirectoryWalk::HandOverStatusLine(const WideString& line) {
  FStatusLine = line;
  FHost.ShowStatusLine(FStatusLine);
}

int TDirectoryWalk::ListDirectory(const WideString& pattern, TElWideStringList* list,
                                  bool includeDirectories, bool includeFiles) {
  TFindData data;
  const FindHandle handle = FLister.FindFirst(pattern, data);
  if (handle == kInvalidFindHandle) return 0;
  TScopeExit closeListing([&] { FLister.FindClose(handle); });
  int count = 0;
  do {
    if (data.attributes & kFileAttributeDirectory) {
      if (!IsDotEntry(data.name) && includeDirectories) {
        if (list != nullptr) list->AddObject(data.name, kDirectoryFlag);
        ++count;
      }
    } else if (includeFiles) {
      if (list != nullptr) list->AddObject(data.name, nullptr);
      ++count;
    }
  } while (FLister.FindNext(handle, data));
  return count;
}

bool TDirectoryWalk::DecompressEntry(const WideString& path) {
  const EntryHandle handle = FVolume.OpenEntry(path);
  if (handle == kInvalidEntryHandle) return false;
  TScopeExit closeEntry([&] { FVolume.CloseEntry(handle); });
  bool result = false;
  bool compressed = false;
  if (FVolume.QueryCompression(handle, compressed) && compressed) {
    const bool isDirectory = FLister.IsDirectory(path);
    HandOverLogLine(ComposeWalkText(
        isDirectory ? "Found compressed Dir: " : "Found compressed File: ", path));
    result = FVolume.ClearCompression(handle);
    if (!result) ++FFailedClears;
    HandOverLogLine(WideFromAscii(result ? "Uncompressed OK" : "Uncompression Failed"));
  }
  return result;
}

bool TDirectoryWalk::ScanDirectory(const WideString& path) {
  if (FHost.TerminateRequested()) return false;
  auto entries = std::make_unique<TElWideStringList>();
  HandOverStatusLine(ComposeWalkText("Scanning directory : ", path));
  WideString pattern = path;
  pattern.push_back(FLister.PathSeparator());
  pattern.push_back(u'*');
  if (ListDirectory(pattern, entries.get(), true, true) <= 0) return false;

  // Downward, so that deleting the files never moves an entry still to come;
  // afterwards only the directories remain, in listing order.
  for (int i = entries->GetCount() - 1; i >= 0; --i) {
    DecompressEntry(ChildPath(path, entries->Get(i)));
    if (entries->GetObject(i) == nullptr) entries->Delete(i);
  }
  if (FRecursive) {
    const int count = entries->GetCount();
    for (int i = 0; i < count; ++i) ScanDirectory(ChildPath(path, entries->Get(i)));
  }
  return true;
}
