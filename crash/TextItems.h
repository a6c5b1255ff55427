#pragma once
// The "|"-separated item lists of the settings texts (plug-ins, assistants,
// extra fields and attachments) and how their names compare.
#include <string>
#include <vector>

// Splits at every separator; an empty text gives one empty item.
std::vector<std::string> SplitText(const std::string& text, char separator);
std::string JoinText(const std::vector<std::string>& items, char separator);

// ASCII case-insensitive equality, as names of fields, plug-ins and assistants compare.
bool SameNameNoCase(const std::string& a, const std::string& b);
