#include "platform/simulated/SimulatedVolume.h"

#include <stdexcept>

namespace {

std::vector<WideString> SplitPath(const WideString& path) {
  std::vector<WideString> parts;
  WideString part;
  for (char16_t unit : path) {
    if (unit == u'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(unit);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

TSimulatedEntry* ChildNamed(TSimulatedEntry& parent, const WideString& name) {
  for (auto& child : parent.children)
    if (child->name == name) return child.get();
  return nullptr;
}

// The entry a path that ends here reaches: a link's target, else the entry.
TSimulatedEntry* Reached(TSimulatedEntry* entry) {
  return entry != nullptr && entry->linkTarget != nullptr ? entry->linkTarget : entry;
}

constexpr std::uint64_t kSimulatedVolumeSerial = 0x5EED;

std::uint32_t AttributesOf(const TSimulatedEntry& entry) {
  if (entry.linkTarget != nullptr) return kFileAttributeDirectory | kFileAttributeReparsePoint;
  return entry.isDirectory ? kFileAttributeDirectory : 0u;
}

}  // namespace

TSimulatedVolume::TSimulatedVolume() {
  FRoot.isDirectory = true;
  FRoot.identity = {kSimulatedVolumeSerial, 0};
}

TSimulatedEntry& TSimulatedVolume::AddDirectory(const WideString& path, std::uint16_t format) {
  return Add(path, true, format);
}

TSimulatedEntry& TSimulatedVolume::AddFile(const WideString& path, std::uint16_t format) {
  return Add(path, false, format);
}

TSimulatedEntry& TSimulatedVolume::Add(const WideString& path, bool isDirectory,
                                       std::uint16_t format) {
  const std::vector<WideString> parts = SplitPath(path);
  if (parts.empty()) throw std::invalid_argument("simulated volume: empty path");
  TSimulatedEntry* node = &FRoot;
  for (size_t i = 0; i < parts.size(); ++i) {
    TSimulatedEntry* child = ChildNamed(*node, parts[i]);
    const bool last = i + 1 == parts.size();
    if (child == nullptr) {
      node->children.push_back(std::make_unique<TSimulatedEntry>());
      child = node->children.back().get();
      child->name = parts[i];
      child->isDirectory = !last || isDirectory;
      child->identity = {kSimulatedVolumeSerial, FNextFileNumber++};
    }
    if (!child->isDirectory && !last)
      throw std::invalid_argument("simulated volume: a file has no children");
    if (child->linkTarget != nullptr && !last)
      throw std::invalid_argument("simulated volume: add beneath the link's target instead");
    node = child;
  }
  node->isDirectory = isDirectory;
  node->compressionFormat = format;
  return *node;
}

TSimulatedEntry& TSimulatedVolume::AddDirectoryLink(const WideString& path, const WideString& target) {
  TSimulatedEntry* reached = Reached(Find(target));
  if (reached == nullptr || !reached->isDirectory)
    throw std::invalid_argument("simulated volume: a link needs an existing directory");
  if (Find(path) != nullptr) throw std::invalid_argument("simulated volume: the link's path is taken");
  TSimulatedEntry& link = Add(path, true, kCompressionFormatNone);
  link.linkTarget = reached;
  return link;
}

TSimulatedEntry* TSimulatedVolume::Find(const WideString& path) {
  TSimulatedEntry* node = &FRoot;
  for (const WideString& part : SplitPath(path)) {
    node = Reached(node);
    if (!node->isDirectory) return nullptr;
    node = ChildNamed(*node, part);
    if (node == nullptr) return nullptr;
  }
  return node;
}

std::vector<WideString> TSimulatedVolume::PathsOf(const std::string& operation) const {
  std::vector<WideString> paths;
  for (const TSimulatedCall& call : FCalls)
    if (call.operation == operation) paths.push_back(call.path);
  return paths;
}

int TSimulatedVolume::OpenHandles() const {
  int count = 0;
  for (const TOpenEntry& handle : FHandles) count += handle.open ? 1 : 0;
  for (const TListing& listing : FListings) count += listing.open ? 1 : 0;
  return count;
}

void TSimulatedVolume::Record(const std::string& operation, const WideString& path) {
  FCalls.push_back({operation, path});
  if (OnCall) OnCall(FCalls.back());
}

TSimulatedVolume::TOpenEntry* TSimulatedVolume::OpenEntryOf(EntryHandle handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= FHandles.size()) return nullptr;
  TOpenEntry& open = FHandles[static_cast<size_t>(handle)];
  return open.open ? &open : nullptr;
}

TSimulatedVolume::TListing* TSimulatedVolume::ListingOf(FindHandle handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= FListings.size()) return nullptr;
  TListing& listing = FListings[static_cast<size_t>(handle)];
  return listing.open ? &listing : nullptr;
}

EntryHandle TSimulatedVolume::Open(const WideString& path) {
  Record("Open", path);
  TSimulatedEntry* entry = Reached(Find(path));
  if (entry == nullptr || entry == &FRoot || entry->failOpen) return kInvalidEntryHandle;
  FHandles.push_back({entry, path, true});
  return static_cast<EntryHandle>(FHandles.size() - 1);
}

bool TSimulatedVolume::GetCompression(EntryHandle handle, std::uint16_t& format) {
  TOpenEntry* open = OpenEntryOf(handle);
  Record("GetCompression", open ? open->path : WideString());
  if (open == nullptr || open->entry->failQuery) return false;
  format = open->entry->compressionFormat;
  return true;
}

bool TSimulatedVolume::SetCompression(EntryHandle handle, std::uint16_t format) {
  TOpenEntry* open = OpenEntryOf(handle);
  Record("SetCompression", open ? open->path : WideString());
  if (open == nullptr || open->entry->failClear) return false;
  open->entry->compressionFormat = format;
  return true;
}

bool TSimulatedVolume::GetIdentity(EntryHandle handle, TEntryIdentity& identity) {
  TOpenEntry* open = OpenEntryOf(handle);
  Record("GetIdentity", open ? open->path : WideString());
  if (open == nullptr || open->entry->failIdentity) return false;
  identity = open->entry->identity;
  return true;
}

void TSimulatedVolume::Close(EntryHandle handle) {
  TOpenEntry* open = OpenEntryOf(handle);
  Record("Close", open ? open->path : WideString());
  if (open != nullptr) open->open = false;
}

FindHandle TSimulatedVolume::FindFirst(const WideString& pattern, TFindData& data) {
  Record("FindFirst", pattern);
  if (pattern.size() < 1 || pattern.back() != u'*') return kInvalidFindHandle;
  TSimulatedEntry* directory = Reached(Find(pattern.substr(0, pattern.size() - 1)));
  if (directory == nullptr || !directory->isDirectory) return kInvalidFindHandle;
  TListing listing{pattern, {}, 1, true};
  listing.entries.push_back({u".", kFileAttributeDirectory});
  listing.entries.push_back({u"..", kFileAttributeDirectory});
  for (const auto& child : directory->children)
    listing.entries.push_back({child->name, AttributesOf(*child)});
  data = listing.entries.front();
  FListings.push_back(std::move(listing));
  return static_cast<FindHandle>(FListings.size() - 1);
}

bool TSimulatedVolume::FindNext(FindHandle handle, TFindData& data) {
  TListing* listing = ListingOf(handle);
  Record("FindNext", listing ? listing->pattern : WideString());
  if (listing == nullptr || listing->next >= listing->entries.size()) return false;
  data = listing->entries[listing->next++];
  return true;
}

void TSimulatedVolume::FindClose(FindHandle handle) {
  TListing* listing = ListingOf(handle);
  Record("FindClose", listing ? listing->pattern : WideString());
  if (listing != nullptr) listing->open = false;
}

bool TSimulatedVolume::IsDirectory(const WideString& path) {
  Record("IsDirectory", path);
  TSimulatedEntry* entry = Find(path);
  return entry != nullptr && entry->isDirectory;
}
