#pragma once
// The map resource ("EXCEPT" of type "OST", and the ".ost" file beside a
// module): a header, then the enciphered, zlib-compressed map stream.
//   0  14  signature "RavelinMapInfo"
//   14  4  payload length
//   18  4  version, 2 or 3
//   22  4  version 3: first build identifier
//   26  4  version 3: second build identifier
//   30  4  version 3: flags, bit 0: names kept outside the module
//   22 or 34: payload
#include <cstdint>
#include <string>

#include "crash/map/MapFile.h"

extern const char* const kMapResourceName;  // "EXCEPT"
extern const char* const kMapResourceType;  // "OST"
extern const char* const kMapSignature;     // "RavelinMapInfo"
constexpr std::uint32_t kMapFlagMinimal = 1;

struct TMapResourceHeader {
  std::uint32_t Version = 0;
  std::uint32_t BuildId1 = 0;
  std::uint32_t BuildId2 = 0;
  std::uint32_t Flags = 0;
  std::string Payload;  // still enciphered
  std::size_t TotalLength = 0;

  bool Minimal() const { return (Flags & kMapFlagMinimal) != 0; }
};

// False for anything that is not map information: too short, another
// signature or version, a payload longer than the bytes.
bool ParseMapResourceHeader(const std::string& bytes, TMapResourceHeader& header);

// "$llllllll, $iiiiiiii, $jjjjjjjj": whole length and the two identifiers.
std::string MapFingerprint(std::size_t totalLength, std::uint32_t buildId1, std::uint32_t buildId2);

// The payload cipher: its own inverse; the key comes from a fixed word and
// the payload's length.
void CipherMapPayload(std::string& payload);

// Deciphers and inflates the payload; false when it is no zlib stream.
bool UnpackMapPayload(const std::string& payload, std::string& stream);

// Header, payload and stream in one: fills map (code range set by the caller)
// and its fingerprint (version 3 only). With minimal the names are numbered.
bool ReadMapResource(const std::string& bytes, TMapFile& map);

// The whole resource for a stream (version 3), as the build writes it.
std::string WriteMapResource(const std::string& stream, std::uint32_t buildId1, std::uint32_t buildId2,
                             std::uint32_t flags);
