#pragma once
// How the mail and upload passwords are stored in the settings resource:
// enciphered with a key made of the account and the server, then Base64.
// It keeps the password from being read off the file at a glance; it is not
// meant to withstand analysis. tools/settings_resource writes the same form.
#include <optional>
#include <string>

std::string EncodeBase64(const std::string& bytes);
// nullopt when text is not valid Base64.
std::optional<std::string> DecodeBase64(const std::string& text);

std::string EncipherPassword(const std::string& plain, const std::string& account,
                             const std::string& server);
// The stored text itself when it is not in the enciphered form.
std::string DecipherPassword(const std::string& stored, const std::string& account,
                             const std::string& server);
