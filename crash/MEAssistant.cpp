#include "crash/MEAssistant.h"

#include <cctype>

std::string FormResourceName(const std::string& form) {
  std::string name = "TME";
  for (char c : form) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}
