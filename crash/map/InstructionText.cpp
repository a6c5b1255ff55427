#include "crash/map/InstructionText.h"

#include <cstdio>
#include <sstream>

#include "crash/map/InstructionDecoder.h"

namespace {

// The prefix words a decoder may put before the mnemonic, and what the
// listing writes for each: only lock and the two repeat prefixes are shown.
const char* ShownPrefix(const std::string& word, bool& isPrefix) {
  isPrefix = true;
  if (word == "lock") return "lock ";
  if (word == "rep" || word == "repe" || word == "repz") return "rep ";
  if (word == "repne" || word == "repnz") return "repne ";
  if (word == "bnd" || word == "notrack" || word == "xacquire" || word == "xrelease") return "";
  isPrefix = false;
  return "";
}

std::string Head(TAddress address) { return AddressDigits(address) + "   "; }

}  // namespace

std::string AddressDigits(TAddress address) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(address));
  return digits;
}

std::string InstructionText(TAddress address, const std::string& mnemonic, const std::string& operands) {
  std::istringstream words(mnemonic);
  std::string word, prefixes, name;
  while (words >> word) {
    bool isPrefix = false;
    const char* shown = ShownPrefix(word, isPrefix);
    if (isPrefix && name.empty()) {
      prefixes += shown;
    } else {
      if (!name.empty()) name += ' ';
      name += word;
    }
  }
  std::string text = Head(address) + prefixes + name;
  if (operands.empty()) return text;
  if (text.size() < kOperandColumn - 1) text.resize(kOperandColumn - 1, ' ');
  return text + ' ' + operands;
}

std::string ByteText(TAddress address, std::uint8_t byte) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(byte));
  return Head(address) + "db " + digits;
}
