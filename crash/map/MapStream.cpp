#include "crash/map/MapStream.h"

#include <algorithm>

namespace {

class TStreamCursor {
 public:
  explicit TStreamCursor(const std::string& bytes) : FBytes(bytes) {}

  std::size_t Remaining() const { return FBytes.size() - FAt; }
  bool Failed() const { return FFailed; }

  std::uint32_t Word() {
    if (Remaining() < 4) return Fail();
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte(FAt + i)) << (8 * i);
    FAt += 4;
    return value;
  }

  std::uint8_t Octet() {
    if (Remaining() < 1) return static_cast<std::uint8_t>(Fail());
    return Byte(FAt++);
  }

  std::int32_t Packed() {
    const auto value = static_cast<std::int8_t>(Octet());
    if (value != -128) return value;
    return static_cast<std::int32_t>(Word());
  }

  // Nothing is read when fewer characters remain than the length says.
  std::string Text() {
    const std::size_t length = Octet();
    if (Remaining() < length) {
      Fail();
      return std::string();
    }
    std::string text = FBytes.substr(FAt, length);
    FAt += length;
    return text;
  }

 private:
  std::uint8_t Byte(std::size_t at) const { return static_cast<std::uint8_t>(FBytes[at]); }
  std::uint32_t Fail() {
    FFailed = true;
    FAt = FBytes.size();
    return 0;
  }

  const std::string& FBytes;
  std::size_t FAt = 0;
  bool FFailed = false;
};

// A count can never exceed what the rest of the stream could hold (each
// entry takes at least one byte); a larger one is damage, not a reason to
// reserve gigabytes.
bool Plausible(std::uint32_t count, const TStreamCursor& cursor) { return count <= cursor.Remaining(); }

bool ReadSegments(TStreamCursor& in, bool minimal, TMapFile& map) {
  const std::uint32_t count = in.Word();
  if (in.Failed() || !Plausible(count, in)) return false;
  for (std::uint32_t i = 0; i < count && !in.Failed(); ++i) {
    TMfSegment segment;
    segment.Start = map.Code.Start + in.Word();
    segment.Length = in.Word();
    if (minimal) {
      segment.HasLines = in.Octet() != 0;
      segment.Unit = "segment%" + std::to_string(i);
    } else {
      segment.Unit = in.Text();
    }
    if (!in.Failed()) map.Segments.push_back(segment);
  }
  return !in.Failed();
}

bool ReadPublics(TStreamCursor& in, bool minimal, TMapFile& map) {
  const std::uint32_t count = in.Word();
  if (in.Failed() || !Plausible(count, in)) return false;
  std::uint32_t address = 0;
  for (std::uint32_t i = 0; i < count && !in.Failed(); ++i) {
    TMfPublic item;
    item.Name = minimal ? "public%" + std::to_string(i) : in.Text();
    address = i == 0 ? in.Word() : address + static_cast<std::uint32_t>(in.Packed());
    item.Address = map.Code.Start + address;
    if (!in.Failed()) map.Publics.push_back(item);
  }
  return !in.Failed();
}

bool ReadLines(TStreamCursor& in, TMapFile& map) {
  const std::uint32_t count = in.Word();
  if (in.Failed() || !Plausible(count, in)) return false;
  if (count == 0) return true;
  std::uint32_t line = in.Word();
  std::uint32_t address = in.Word();
  map.Lines.push_back({line, map.Code.Start + address});
  for (std::uint32_t i = 1; i < count && !in.Failed(); ++i) {
    line += static_cast<std::uint32_t>(in.Packed());
    address += static_cast<std::uint32_t>(in.Packed());
    if (!in.Failed()) map.Lines.push_back({line, map.Code.Start + address});
  }
  return !in.Failed();
}

void PutWord(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

void PutPacked(std::string& out, std::int32_t value) {
  if (value >= -127 && value <= 127) {
    out += static_cast<char>(static_cast<std::int8_t>(value));
  } else {
    out += static_cast<char>(-128);
    PutWord(out, static_cast<std::uint32_t>(value));
  }
}

void PutText(std::string& out, const std::string& text) {
  const std::size_t length = std::min<std::size_t>(text.size(), 255);
  out += static_cast<char>(length);
  out.append(text, 0, length);
}

}  // namespace

bool ReadMapStream(const std::string& bytes, bool minimal, TMapFile& map) {
  TStreamCursor in(bytes);
  if (!ReadSegments(in, minimal, map) || !ReadPublics(in, minimal, map) || !ReadLines(in, map)) return false;
  if (in.Remaining() == 4) map.EntryPoint = map.Code.Start + in.Word();
  return true;
}

std::string WriteMapStream(const TMapFile& map) {
  std::string out;
  const TAddress base = map.Code.Start;
  PutWord(out, static_cast<std::uint32_t>(map.Segments.size()));
  for (const TMfSegment& segment : map.Segments) {
    PutWord(out, segment.Start - base);
    PutWord(out, segment.Length);
    PutText(out, segment.Unit);
  }
  PutWord(out, static_cast<std::uint32_t>(map.Publics.size()));
  for (std::size_t i = 0; i < map.Publics.size(); ++i) {
    PutText(out, map.Publics[i].Name);
    if (i == 0)
      PutWord(out, map.Publics[i].Address - base);
    else
      PutPacked(out, static_cast<std::int32_t>(map.Publics[i].Address - map.Publics[i - 1].Address));
  }
  PutWord(out, static_cast<std::uint32_t>(map.Lines.size()));
  for (std::size_t i = 0; i < map.Lines.size(); ++i) {
    if (i == 0) {
      PutWord(out, map.Lines[0].Line);
      PutWord(out, map.Lines[0].Address - base);
    } else {
      PutPacked(out, static_cast<std::int32_t>(map.Lines[i].Line - map.Lines[i - 1].Line));
      PutPacked(out, static_cast<std::int32_t>(map.Lines[i].Address - map.Lines[i - 1].Address));
    }
  }
  if (map.EntryPoint != 0) PutWord(out, map.EntryPoint - base);
  return out;
}
