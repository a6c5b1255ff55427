#include "worker/DirectoryWalk.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "text/ElWideStringList.h"
#include "platform/CodePage.h"
#include "platform/ScopeGuard.h"

namespace {
// The object slot of an entry holds a flag, not an object.
void* const kDirectoryFlag = reinterpret_cast<void*>(1);

bool IsDotEntry(const WideString& name) { return name == u"." || name == u".."; }
}  // namespace

WideString ComposeWalkText(const char* literal, const WideString& path) {
  return NarrowToWide(NarrowString(literal) + WideToNarrow(path));
}

TDirectoryWalk::TDirectoryWalk(TVolumeControl& volume, IDirectoryLister& lister,
                               IWalkHost& host, bool recursive)
    : FVolume(volume), FLister(lister), FHost(host), FRecursive(recursive) {}

void TDirectoryWalk::ChildPath(const WideString& path, const WideString& name,
                               WideString& child) const {
  // Joined as they stand: a path that already ends in a separator gets a second.
  child.assign(path).push_back(FLister.PathSeparator());
  child.append(name);
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
  auto closeListing = OnScopeExit([&] { FLister.FindClose(handle); });
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
  bool identified = false;
  return DecompressEntry(path, nullptr, identified);
}

bool TDirectoryWalk::DecompressEntry(const WideString& path, TEntryIdentity* identity,
                                     bool& identified) {
  const EntryHandle handle = FVolume.OpenEntry(path);
  if (handle == kInvalidEntryHandle) return false;
  auto closeEntry = OnScopeExit([&] { FVolume.CloseEntry(handle); });
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
  // Read on the handle that is open anyway: a directory reached through a
  // link gives its target's identity.
  if (identity != nullptr) identified = FVolume.QueryIdentity(handle, *identity);
  return result;
}

bool TDirectoryWalk::OnCurrentPath(const TEntryIdentity& identity) const {
  return std::find(FCurrentPath.begin(), FCurrentPath.end(), identity) != FCurrentPath.end();
}

bool TDirectoryWalk::ScanDirectory(const WideString& path) { return ScanDirectory(path, nullptr); }

bool TDirectoryWalk::ScanDirectory(const WideString& path, const TEntryIdentity* identity) {
  if (FHost.TerminateRequested()) return false;
  if (identity != nullptr && OnCurrentPath(*identity)) {
    HandOverStatusLine(ComposeWalkText("Skipping directory loop : ", path));
    return false;
  }
  auto entries = std::make_unique<TElWideStringList>();
  HandOverStatusLine(ComposeWalkText("Scanning directory : ", path));
  WideString pattern = path;
  pattern.push_back(FLister.PathSeparator());
  pattern.push_back(u'*');
  if (ListDirectory(pattern, entries.get(), true, true) <= 0) return false;

  // Downward, so that deleting the files never moves an entry still to come;
  // afterwards only the directories remain, in listing order. The identity of
  // each directory is kept for the second pass (unknown when it could not be
  // read: such a directory is entered as any other).
  std::vector<std::optional<TEntryIdentity>> identities;
  WideString child;  // one buffer for every entry's path
  for (int i = entries->GetCount() - 1; i >= 0; --i) {
    const bool isDirectory = entries->GetObject(i) != nullptr;
    TEntryIdentity entryIdentity;
    bool identified = false;
    ChildPath(path, entries->Get(i), child);
    DecompressEntry(child, FRecursive && isDirectory ? &entryIdentity : nullptr, identified);
    if (!isDirectory)
      entries->Delete(i);
    else
      identities.push_back(identified ? std::optional<TEntryIdentity>(entryIdentity) : std::nullopt);
  }
  std::reverse(identities.begin(), identities.end());
  if (FRecursive) {
    if (identity != nullptr) FCurrentPath.push_back(*identity);
    auto leave = OnScopeExit([&] {
      if (identity != nullptr) FCurrentPath.pop_back();
    });
    const int count = entries->GetCount();
    for (int i = 0; i < count; ++i) {
      const std::optional<TEntryIdentity>& known = identities[static_cast<size_t>(i)];
      ChildPath(path, entries->Get(i), child);
      ScanDirectory(child, known ? &*known : nullptr);
    }
  }
  return true;
}
