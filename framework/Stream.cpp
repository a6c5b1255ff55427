#include "framework/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

#include "framework/Exception.h"

#if defined(_WIN32)
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

// ---------------------------------------------------------------------------
// The file seam: the C runtime on both targets, 64-bit positions, and the
// sharing modes where the platform has them.

namespace {

int SeekFile(std::FILE* file, int64_t offset, int whence) {
#if defined(_WIN32)
  return _fseeki64(file, offset, whence);
#else
  return fseeko(file, static_cast<off_t>(offset), whence);
#endif
}

int64_t TellFile(std::FILE* file) {
#if defined(_WIN32)
  return _ftelli64(file);
#else
  return static_cast<int64_t>(ftello(file));
#endif
}

int TruncateFile(std::FILE* file, int64_t size) {
#if defined(_WIN32)
  return _chsize_s(_fileno(file), size) == 0 ? 0 : -1;
#else
  return ftruncate(fileno(file), static_cast<off_t>(size));
#endif
}

std::FILE* OpenFile(const std::string& name, const char* how, uint16_t share) {
#if defined(_WIN32)
  int shareFlag = _SH_DENYNO;
  switch (share) {
    case fmShareExclusive: shareFlag = _SH_DENYRW; break;
    case fmShareDenyWrite: shareFlag = _SH_DENYWR; break;
    case fmShareDenyRead: shareFlag = _SH_DENYRD; break;
    default: break;
  }
  return _fsopen(name.c_str(), how, shareFlag);
#else
  (void)share;
  return std::fopen(name.c_str(), how);
#endif
}

std::string SystemErrorText(int error) {
  const char* text = std::strerror(error);
  return text ? text : "";
}

}  // namespace

// ---------------------------------------------------------------------------
// TStream

int64_t TStream::Size() {
  const int64_t position = Seek(0, soCurrent);
  const int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

void TStream::SetSize(int64_t /*newSize*/) {
  throw EStreamError(FormatMessage("%s cannot change its size", ClassName().c_str()));
}

void TStream::ReadBuffer(void* buffer, size_t count) {
  if (count == 0) return;
  const size_t done = Read(buffer, count);
  if (done != count)
    throw EReadError(FormatMessage("Stream read error: %lu of %lu bytes read",
                                   static_cast<unsigned long>(done),
                                   static_cast<unsigned long>(count)));
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
  if (count == 0) return;
  const size_t done = Write(buffer, count);
  if (done != count)
    throw EWriteError(FormatMessage("Stream write error: %lu of %lu bytes written",
                                    static_cast<unsigned long>(done),
                                    static_cast<unsigned long>(count)));
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  if (count < 0) throw EStreamError("Cannot copy a negative number of bytes");
  constexpr size_t kChunk = 64 * 1024;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunk]);
  int64_t left = count;
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(left, kChunk));
    source.ReadBuffer(buffer.get(), n);
    WriteBuffer(buffer.get(), n);
    left -= static_cast<int64_t>(n);
  }
  return count;
}

// ---------------------------------------------------------------------------
// Memory streams

namespace {
// The position an origin and offset give, refused before the start.
int64_t NewPosition(int64_t current, int64_t size, int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  switch (origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = current; break;
    case soEnd: base = size; break;
  }
  if ((offset < 0 && base < -offset) ||
      (offset > 0 && base > std::numeric_limits<int64_t>::max() - offset))
    throw EStreamError("Seek outside the stream");
  return base + offset;
}
}  // namespace

void TCustomMemoryStream::SetPointer(const void* data, size_t size) {
  FMemory = static_cast<const uint8_t*>(data);
  FSize = size;
}

size_t TCustomMemoryStream::Read(void* buffer, size_t count) {
  const auto size = static_cast<int64_t>(FSize);
  if (FPosition >= size || count == 0) return 0;
  const size_t n = static_cast<size_t>(std::min<int64_t>(size - FPosition, static_cast<int64_t>(count)));
  std::memcpy(buffer, FMemory + FPosition, n);
  FPosition += static_cast<int64_t>(n);
  return n;
}

size_t TCustomMemoryStream::Write(const void* /*buffer*/, size_t /*count*/) { return 0; }

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  FPosition = NewPosition(FPosition, static_cast<int64_t>(FSize), offset, origin);
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
  if (FSize > 0) stream.WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

void TMemoryStream::Resize(size_t newSize) {
  FData.resize(newSize);
  SetPointer(FData.data(), FData.size());
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  const auto limit = static_cast<int64_t>(std::numeric_limits<size_t>::max() / 2);
  if (FPosition > limit || static_cast<int64_t>(count) > limit - FPosition) return 0;
  const size_t end = static_cast<size_t>(FPosition) + count;
  if (end > FData.size()) {
    // Grow geometrically so that a run of small writes stays linear.
    if (end > FData.capacity()) FData.reserve(std::max(end, FData.capacity() + FData.capacity() / 2));
    Resize(end);
  }
  std::memcpy(FData.data() + FPosition, buffer, count);
  FPosition = static_cast<int64_t>(end);
  return count;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0 || static_cast<uint64_t>(newSize) > std::numeric_limits<size_t>::max() / 2)
    throw EStreamError(FormatMessage("Invalid stream size %lld", static_cast<long long>(newSize)));
  Resize(static_cast<size_t>(newSize));
  if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::Clear() {
  std::vector<uint8_t>().swap(FData);
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  const int64_t size = stream.Size();
  SetSize(size);
  if (size > 0) stream.ReadBuffer(FData.data(), static_cast<size_t>(size));
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

// ---------------------------------------------------------------------------
// File streams

void THandleStream::SwitchTo(LastOperation operation) {
  if (FLast != opNone && FLast != operation) SeekFile(FHandle, 0, SEEK_CUR);
  FLast = operation;
}

size_t THandleStream::Read(void* buffer, size_t count) {
  if (count == 0) return 0;
  SwitchTo(opRead);
  return std::fread(buffer, 1, count, FHandle);
}

size_t THandleStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  SwitchTo(opWrite);
  return std::fwrite(buffer, 1, count, FHandle);
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (!(origin == soCurrent && offset == 0)) {
    if (SeekFile(FHandle, offset, kWhence[origin]) != 0)
      throw EStreamError(FormatMessage("Seek outside the stream: %s", SystemErrorText(errno).c_str()));
    FLast = opNone;
  }
  const int64_t position = TellFile(FHandle);
  if (position < 0)
    throw EStreamError(FormatMessage("Cannot tell the stream position: %s", SystemErrorText(errno).c_str()));
  return position;
}

int64_t THandleStream::Size() {
  // Seeking through the C runtime flushes what is buffered, so the end seen is
  // the end including our own writes.
  const int64_t position = Seek(0, soCurrent);
  const int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

void THandleStream::SetSize(int64_t newSize) {
  if (newSize < 0) throw EStreamError(FormatMessage("Invalid stream size %lld", static_cast<long long>(newSize)));
  const int64_t position = Seek(0, soCurrent);
  std::fflush(FHandle);
  if (TruncateFile(FHandle, newSize) != 0)
    throw EStreamError(FormatMessage("Cannot change the file size: %s", SystemErrorText(errno).c_str()));
  Seek(std::min(position, newSize), soBeginning);
}

TFileStream::TFileStream(const std::string& fileName, uint16_t mode)
    : THandleStream(nullptr), FFileName(fileName) {
  if ((mode & 0xFF00) == fmCreate) {
    FHandle = OpenFile(fileName, "w+b", mode & 0x00F0);
    if (FHandle == nullptr)
      throw EFCreateError(FormatMessage("Cannot create file \"%s\". %s", fileName.c_str(),
                                        SystemErrorText(errno).c_str()));
    return;
  }
  const char* how = (mode & 0x000F) == fmOpenRead ? "rb" : "r+b";
  FHandle = OpenFile(fileName, how, mode & 0x00F0);
  if (FHandle == nullptr)
    throw EFOpenError(FormatMessage("Cannot open file \"%s\". %s", fileName.c_str(),
                                    SystemErrorText(errno).c_str()));
}

TFileStream::~TFileStream() {
  if (FHandle != nullptr) std::fclose(FHandle);
}
