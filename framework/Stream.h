#pragma once
// Byte streams: the abstract stream with its checked transfers, streams over
// memory, and streams over C runtime file handles.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Persistent.h"

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream : public TObject {
 public:
  TStream() = default;
  // A stream stands for a position in one resource; copies would share it.
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  std::string ClassName() const override { return "TStream"; }

  // Transfer up to count bytes at the position and advance it; the result is
  // the number of bytes moved, less than count at the end (reading) or when
  // the stream cannot take more (writing).
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // Moves the position and returns the new one. A position beyond the end is
  // allowed (a later write fills the gap); one before the start raises
  // EStreamError.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t position) { Seek(position, soBeginning); }
  virtual int64_t Size();
  // Truncates or extends; raises EStreamError where the stream cannot.
  virtual void SetSize(int64_t newSize);

  // Exactly count bytes or an exception: EReadError, EWriteError.
  void ReadBuffer(void* buffer, size_t count);
  void WriteBuffer(const void* buffer, size_t count);
  // Copies count bytes from source's position; count 0 copies the whole
  // source from its start. Returns the bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// A read-only stream over a block of memory it does not own (a resource, a
// buffer handed in by the caller). Writing moves nothing, so WriteBuffer
// raises EWriteError.
class TCustomMemoryStream : public TStream {
 public:
  TCustomMemoryStream() = default;
  TCustomMemoryStream(const void* data, size_t size) { SetPointer(data, size); }
  std::string ClassName() const override { return "TCustomMemoryStream"; }

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(FSize); }

  const void* Memory() const { return FMemory; }
  void SaveToStream(TStream& stream);
  void SaveToFile(const std::string& fileName);

 protected:
  void SetPointer(const void* data, size_t size);

  int64_t FPosition = 0;

 private:
  const uint8_t* FMemory = nullptr;
  size_t FSize = 0;
};

// A stream that owns its growing block of memory.
class TMemoryStream : public TCustomMemoryStream {
 public:
  std::string ClassName() const override { return "TMemoryStream"; }

  size_t Write(const void* buffer, size_t count) override;
  void SetSize(int64_t newSize) override;

  using TCustomMemoryStream::Memory;
  void* Memory() { return FData.data(); }
  void Clear();
  // Replaces the contents with the whole of stream (from its start) and
  // rewinds.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& fileName);

 private:
  void Resize(size_t newSize);

  std::vector<uint8_t> FData;
};

// File opening modes: one access mode, optionally with one sharing mode
// (sharing is honoured on Windows only), or fmCreate, which creates or
// truncates the file for reading and writing.
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,
};

// A stream over a C runtime file handle that it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(std::FILE* handle) : FHandle(handle) {}
  std::string ClassName() const override { return "THandleStream"; }

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t newSize) override;

  std::FILE* Handle() const { return FHandle; }

 protected:
  std::FILE* FHandle;

 private:
  // The C runtime needs a seek between a read and a write on one handle.
  enum LastOperation { opNone, opRead, opWrite };
  void SwitchTo(LastOperation operation);
  LastOperation FLast = opNone;
};

// A file opened by name (narrow, in the system code page) and closed with the
// stream. Raises EFOpenError or EFCreateError when the file cannot be opened.
class TFileStream : public THandleStream {
 public:
  TFileStream(const std::string& fileName, uint16_t mode);
  ~TFileStream() override;
  std::string ClassName() const override { return "TFileStream"; }

  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
};
