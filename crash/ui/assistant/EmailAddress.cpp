#include "crash/ui/assistant/EmailAddress.h"

#include <algorithm>

namespace {

bool IsAsciiLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsAddressCharacter(char c) {
  return IsAsciiLetterOrDigit(c) || c == '+' || c == '-' || c == '_' || c == '.' || c == '@';
}

}  // namespace

bool IsPlausibleEmailAddress(const std::string& address) {
  if (address.empty()) return false;
  if (!std::all_of(address.begin(), address.end(), IsAddressCharacter)) return false;  // blanks too
  if (std::count(address.begin(), address.end(), '@') != 1) return false;
  const std::size_t at = address.find('@');
  if (at == 0) return false;
  if (address.front() == '.' || address.back() == '.') return false;
  if (at + 1 < address.size() && address[at + 1] == '.') return false;
  return address.find('.', at + 1) != std::string::npos;
}

std::string SenderAddress(const std::string& name, const std::string& address) {
  return name + " <" + address + ">";
}
