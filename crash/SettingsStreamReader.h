#pragma once
// The little of the binary component stream that a settings resource uses:
// the signature, short strings and the typed values of its properties, read
// from bytes in memory. Kept here, not borrowed from the window framework,
// so that the reporter links nothing of the framework it watches. Each read
// raises TSettingsStreamError when the bytes end early or hold another type.
// One reader per thread.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

class TSettingsStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value-type bytes a settings property may start with.
enum TSettingsValueType : std::uint8_t {
  svNull = 0,
  svInt8 = 2,
  svInt16 = 3,
  svInt32 = 4,
  svString = 6,
  svIdent = 7,
  svFalse = 8,
  svTrue = 9,
  svLString = 12,
  svWString = 18,
};

class TSettingsStreamReader {
 public:
  // The bytes stay the caller's and must outlive the reader.
  explicit TSettingsStreamReader(const std::string& bytes) : FBytes(bytes) {}
  explicit TSettingsStreamReader(std::string&&) = delete;

  // "TPF0".
  void ReadSignature();
  // A length byte, then that many characters.
  std::string ReadShortString();
  // The type byte of the next value, which stays unread.
  std::uint8_t NextValue() const;
  int32_t ReadInteger();
  bool ReadBoolean();
  // A short, long or wide string; a wide one in the system code page.
  std::string ReadString();
  // An identifier (an enumeration's value name).
  std::string ReadIdent();

 private:
  const unsigned char* Take(std::size_t count);
  std::uint8_t ReadByte() { return *Take(1); }
  std::uint32_t ReadLittleEndian(std::size_t count);
  [[noreturn]] static void WrongType(std::uint8_t type, const char* expected);

  const std::string& FBytes;
  std::size_t FPosition = 0;
};
