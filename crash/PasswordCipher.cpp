#include "crash/PasswordCipher.h"

#include <cstdint>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int AlphabetIndex(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// A keystream from the key: FNV-1a of the key seeds a 32-bit linear
// congruential generator, whose upper bytes are taken one by one.
std::string ApplyKeystream(const std::string& bytes, const std::string& key) {
  std::uint32_t state = 2166136261u;
  for (unsigned char c : key) state = (state ^ c) * 16777619u;
  std::string result = bytes;
  for (char& c : result) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(static_cast<unsigned char>(c) ^ ((state >> 16) & 0xFF));
  }
  return result;
}

std::string KeyOf(const std::string& account, const std::string& server) {
  return account + '\n' + server;
}

}  // namespace

std::string EncodeBase64(const std::string& bytes) {
  std::string text;
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t n = (std::uint8_t(bytes[i]) << 16) | (std::uint8_t(bytes[i + 1]) << 8) |
                            std::uint8_t(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(n >> shift) & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t n = std::uint8_t(bytes[i]) << 16;
    if (rest == 2) n |= std::uint8_t(bytes[i + 1]) << 8;
    text += kAlphabet[(n >> 18) & 63];
    text += kAlphabet[(n >> 12) & 63];
    text += rest == 2 ? kAlphabet[(n >> 6) & 63] : '=';
    text += '=';
  }
  return text;
}

std::optional<std::string> DecodeBase64(const std::string& text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < text.size(); i += 4) {
    int values[4];
    int padding = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + k];
      const bool last = i + 4 == text.size();
      if (c == '=' && last && k >= 2 && (k == 3 || text[i + 3] == '=')) {
        values[k] = 0;
        ++padding;
        continue;
      }
      values[k] = AlphabetIndex(c);
      if (values[k] < 0 || padding > 0) return std::nullopt;
    }
    const std::uint32_t n = (values[0] << 18) | (values[1] << 12) | (values[2] << 6) | values[3];
    bytes += static_cast<char>((n >> 16) & 0xFF);
    if (padding < 2) bytes += static_cast<char>((n >> 8) & 0xFF);
    if (padding < 1) bytes += static_cast<char>(n & 0xFF);
  }
  return bytes;
}

std::string EncipherPassword(const std::string& plain, const std::string& account,
                             const std::string& server) {
  return EncodeBase64(ApplyKeystream(plain, KeyOf(account, server)));
}

std::string DecipherPassword(const std::string& stored, const std::string& account,
                             const std::string& server) {
  const std::optional<std::string> bytes = DecodeBase64(stored);
  if (!bytes) return stored;
  return ApplyKeystream(*bytes, KeyOf(account, server));
}
