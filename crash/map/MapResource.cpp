#include "crash/map/MapResource.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

#include "crash/map/MapStream.h"

const char* const kMapResourceName = "EXCEPT";
const char* const kMapResourceType = "OST";
const char* const kMapSignature = "RavelinMapInfo";

namespace {

constexpr std::size_t kSignatureLength = 14;
constexpr std::size_t kMinimumLength = 23;
constexpr std::uint32_t kCipherWord = 0x4f535452;  // fixed part of the key

std::uint32_t WordAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
  return value;
}

void PutWord(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

}  // namespace

bool ParseMapResourceHeader(const std::string& bytes, TMapResourceHeader& header) {
  if (bytes.size() < kMinimumLength || bytes.compare(0, kSignatureLength, kMapSignature) != 0) return false;
  const std::uint32_t length = WordAt(bytes, 14);
  header.Version = WordAt(bytes, 18);
  if (header.Version != 2 && header.Version != 3) return false;
  const std::size_t start = header.Version == 3 ? 34 : 22;
  if (bytes.size() < start || bytes.size() - start < length) return false;
  if (header.Version == 3) {
    header.BuildId1 = WordAt(bytes, 22);
    header.BuildId2 = WordAt(bytes, 26);
    header.Flags = WordAt(bytes, 30);
  }
  header.Payload = bytes.substr(start, length);
  header.TotalLength = bytes.size();
  return true;
}

std::string MapFingerprint(std::size_t totalLength, std::uint32_t buildId1, std::uint32_t buildId2) {
  char text[40];
  std::snprintf(text, sizeof text, "$%08x, $%08x, $%08x", static_cast<unsigned>(totalLength),
                static_cast<unsigned>(buildId1), static_cast<unsigned>(buildId2));
  return text;
}

void CipherMapPayload(std::string& payload) {
  // xorshift32 key stream; never zero as a state.
  std::uint32_t state = kCipherWord ^ (static_cast<std::uint32_t>(payload.size()) * 0x9e3779b9u);
  if (state == 0) state = kCipherWord;
  for (char& byte : payload) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(static_cast<std::uint8_t>(byte) ^ (state & 0xff));
  }
}

bool UnpackMapPayload(const std::string& payload, std::string& stream) {
  std::string plain = payload;
  CipherMapPayload(plain);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef*>(plain.data());
  z.avail_in = static_cast<uInt>(plain.size());
  stream.clear();
  char chunk[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    stream.append(chunk, sizeof chunk - z.avail_out);
    if (status == Z_BUF_ERROR && z.avail_in == 0) break;  // cut short
  }
  inflateEnd(&z);
  return status == Z_STREAM_END;
}

bool ReadMapResource(const std::string& bytes, TMapFile& map) {
  TMapResourceHeader header;
  std::string stream;
  if (!ParseMapResourceHeader(bytes, header) || !UnpackMapPayload(header.Payload, stream)) return false;
  if (!ReadMapStream(stream, header.Minimal(), map)) return false;
  if (header.Version == 3) map.Fingerprint = MapFingerprint(header.TotalLength, header.BuildId1, header.BuildId2);
  return true;
}

std::string WriteMapResource(const std::string& stream, std::uint32_t buildId1, std::uint32_t buildId2,
                             std::uint32_t flags) {
  uLongf size = compressBound(static_cast<uLong>(stream.size()));
  std::string payload(size, '\0');
  compress2(reinterpret_cast<Bytef*>(payload.data()), &size, reinterpret_cast<const Bytef*>(stream.data()),
            static_cast<uLong>(stream.size()), Z_BEST_COMPRESSION);
  payload.resize(size);
  CipherMapPayload(payload);
  std::string out(kMapSignature, kSignatureLength);
  PutWord(out, static_cast<std::uint32_t>(payload.size()));
  PutWord(out, 3);
  PutWord(out, buildId1);
  PutWord(out, buildId2);
  PutWord(out, flags);
  return out + payload;
}
