// Streams: positions and sizes, checked transfers, memory and file streams.
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/Stream.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/MessageOf.h"

namespace {

std::string Contents(TStream& stream) {
  stream.SetPosition(0);
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.ReadBuffer(&bytes[0], bytes.size());
  return bytes;
}

// ---------------------------------------------------------------------------
// Memory streams

TEST(MemoryStream, WritesReadsAndSeeksLikeAFile) {
  TMemoryStream stream;
  EXPECT_EQ(stream.Size(), 0);
  stream.WriteBuffer("hello", 5);
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(stream.Size(), 5);

  EXPECT_EQ(stream.Seek(-3, soEnd), 2);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, sizeof buffer), 3u);  // a short read at the end
  EXPECT_STREQ(buffer, "llo");
  EXPECT_EQ(stream.Read(buffer, 1), 0u);

  EXPECT_EQ(stream.Seek(1, soBeginning), 1);
  stream.WriteBuffer("EL", 2);  // overwrites in place
  EXPECT_EQ(stream.Seek(1, soCurrent), 4);
  EXPECT_EQ(Contents(stream), "hELlo");
}

TEST(MemoryStream, PositionBeyondTheEndReadsNothingAndAWriteFillsTheGapWithZeros) {
  TMemoryStream stream;
  stream.WriteBuffer("ab", 2);
  stream.SetPosition(5);
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(stream.Size(), 2);
  char byte;
  EXPECT_EQ(stream.Read(&byte, 1), 0u);
  stream.WriteBuffer("z", 1);
  EXPECT_EQ(Contents(stream), std::string("ab\0\0\0z", 6));
}

TEST(MemoryStream, SeekBeforeTheStartIsRefusedAndKeepsThePosition) {
  TMemoryStream stream;
  stream.WriteBuffer("abc", 3);
  stream.SetPosition(1);
  EXPECT_EQ(MessageOf<EStreamError>([&] { stream.Seek(-2, soCurrent); }), "Seek outside the stream");
  EXPECT_EQ(MessageOf<EStreamError>([&] { stream.Seek(-4, soEnd); }), "Seek outside the stream");
  EXPECT_EQ(stream.Position(), 1);
}

TEST(MemoryStream, SetSizeTruncatesExtendsAndPullsThePositionBack) {
  TMemoryStream stream;
  stream.WriteBuffer("abcdef", 6);
  stream.SetSize(3);
  EXPECT_EQ(stream.Position(), 3);
  EXPECT_EQ(Contents(stream), "abc");
  stream.SetSize(5);
  EXPECT_EQ(Contents(stream), std::string("abc\0\0", 5));
  EXPECT_THROW(stream.SetSize(-1), EStreamError);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
}

TEST(MemoryStream, ManySmallWritesKeepEveryByte) {
  TMemoryStream stream;
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    const char byte = static_cast<char>(i * 7);
    stream.WriteBuffer(&byte, 1);
    expected.push_back(byte);
  }
  EXPECT_EQ(Contents(stream), expected);
}

TEST(Stream, ShortTransfersRaiseWithTheCounts) {
  TMemoryStream stream;
  stream.WriteBuffer("abc", 3);
  stream.SetPosition(1);
  char buffer[4];
  EXPECT_EQ(MessageOf<EReadError>([&] { stream.ReadBuffer(buffer, 4); }),
            "Stream read error: 2 of 4 bytes read");
  // A read-only view over memory takes no bytes.
  const char data[] = "xyz";
  TCustomMemoryStream view(data, 3);
  EXPECT_EQ(MessageOf<EWriteError>([&] { view.WriteBuffer("a", 1); }),
            "Stream write error: 0 of 1 bytes written");
  // Zero-byte transfers always succeed.
  EXPECT_NO_THROW(view.ReadBuffer(nullptr, 0));
  EXPECT_NO_THROW(view.WriteBuffer(nullptr, 0));
}

TEST(Stream, ReadErrorsAreStreamErrors) {
  // Callers may catch every stream failure at once.
  TMemoryStream stream;
  char byte;
  EXPECT_THROW(stream.ReadBuffer(&byte, 1), EStreamError);
  EXPECT_THROW(stream.ReadBuffer(&byte, 1), EFilerError);
}

TEST(Stream, CopyFromTakesACountOrTheWholeSource) {
  std::string big(200000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
  TCustomMemoryStream source(big.data(), big.size());
  source.SetPosition(10);

  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(source, 100000), 100000);
  EXPECT_EQ(Contents(part), big.substr(10, 100000));

  TMemoryStream whole;
  EXPECT_EQ(whole.CopyFrom(source, 0), static_cast<int64_t>(big.size()));
  EXPECT_EQ(Contents(whole), big);

  source.SetPosition(big.size() - 5);
  TMemoryStream tooMuch;
  EXPECT_THROW(tooMuch.CopyFrom(source, 6), EReadError);
}

// ---------------------------------------------------------------------------
// File streams

TEST(FileStream, CreateWriteAndReadBack) {
  ScratchDir dir;
  const std::string name = dir.File("data.bin");
  {
    TFileStream file(name, fmCreate);
    EXPECT_EQ(file.FileName(), name);
    file.WriteBuffer("0123456789", 10);
    EXPECT_EQ(file.Size(), 10);  // also before anything is flushed
    file.SetPosition(2);
    char two[2];
    file.ReadBuffer(two, 2);  // a read right after a write
    EXPECT_EQ(std::string(two, 2), "23");
    file.WriteBuffer("ab", 2);  // and a write right after a read
  }
  TFileStream file(name, fmOpenRead);
  EXPECT_EQ(Contents(file), "0123ab6789");
  EXPECT_EQ(MessageOf<EWriteError>([&] { file.WriteBuffer("x", 1); }),
            "Stream write error: 0 of 1 bytes written");
}

TEST(FileStream, CreateTruncatesAndReadWriteKeepsTheContents) {
  ScratchDir dir;
  const std::string name = dir.File("data.bin");
  { TFileStream(name, fmCreate).WriteBuffer("abcdef", 6); }
  {
    TFileStream file(name, fmOpenReadWrite);
    EXPECT_EQ(file.Size(), 6);
    file.Seek(0, soEnd);
    file.WriteBuffer("gh", 2);
  }
  {
    TFileStream file(name, fmOpenWrite);
    file.WriteBuffer("A", 1);
  }
  {
    TFileStream file(name, fmOpenReadWrite);
    EXPECT_EQ(Contents(file), "Abcdefgh");
    file.SetSize(3);
    EXPECT_EQ(file.Position(), 3);
    EXPECT_EQ(Contents(file), "Abc");
  }
  TFileStream file(name, fmCreate);
  EXPECT_EQ(file.Size(), 0);
}

TEST(FileStream, PositionBeyondTheEndIsAllowed) {
  ScratchDir dir;
  TFileStream file(dir.File("data.bin"), fmCreate);
  file.WriteBuffer("ab", 2);
  EXPECT_EQ(file.Seek(10, soBeginning), 10);
  EXPECT_EQ(file.Size(), 2);
  char byte;
  EXPECT_EQ(file.Read(&byte, 1), 0u);
  EXPECT_THROW(file.Seek(-1, soBeginning), EStreamError);
}

TEST(FileStream, FailuresToOpenOrCreateNameTheFile) {
  ScratchDir dir;
  const std::string missing = dir.File("missing.txt");
  const std::string inMissingDir = dir.File("no-such-dir/file.txt");
  const std::string opened = MessageOf<EFOpenError>([&] { TFileStream(missing, fmOpenRead); });
  EXPECT_EQ(opened.rfind("Cannot open file \"" + missing + "\". ", 0), 0u) << opened;
  const std::string created = MessageOf<EFCreateError>([&] { TFileStream(inMissingDir, fmCreate); });
  EXPECT_EQ(created.rfind("Cannot create file \"" + inMissingDir + "\". ", 0), 0u) << created;
  EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EStreamError);
}

TEST(FileStream, DenyWriteSharingAllowsOtherReadersOnly) {
  ScratchDir dir;
  const std::string name = dir.File("shared.txt");
  { TFileStream(name, fmCreate).WriteBuffer("abc", 3); }
  TFileStream first(name, fmOpenRead | fmShareDenyWrite);
  TFileStream reader(name, fmOpenRead | fmShareDenyNone);
  EXPECT_EQ(Contents(reader), "abc");
#if defined(_WIN32)
  // Only Windows enforces sharing modes.
  EXPECT_THROW(TFileStream(name, fmOpenReadWrite | fmShareDenyNone), EFOpenError);
  EXPECT_THROW(TFileStream(name, fmCreate), EFCreateError);
#endif
  EXPECT_EQ(Contents(first), "abc");
}

TEST(MemoryStream, SavesToAndLoadsFromFiles) {
  ScratchDir dir;
  const std::string name = dir.File("memory.bin");
  TMemoryStream out;
  out.WriteBuffer("\x00\x01\xFFzz", 5);
  out.SaveToFile(name);
  TMemoryStream in;
  in.WriteBuffer("old contents", 12);
  in.LoadFromFile(name);
  EXPECT_EQ(in.Position(), 0);
  EXPECT_EQ(Contents(in), std::string("\x00\x01\xFFzz", 5));
}

}  // namespace
