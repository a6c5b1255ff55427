#pragma once
// The contact form's rules for the sender: whether a typed e-mail address is
// plausible enough to send with, and the sender text made of name and
// address. Pure functions; any thread.
#include <string>

// No blanks around it; exactly one "@", not the first character, not
// followed by "."; at least one "." after the "@"; no "." at either end;
// every other character a letter, a digit, "+", "-", "_" or ".".
bool IsPlausibleEmailAddress(const std::string& address);

// "name <address>".
std::string SenderAddress(const std::string& name, const std::string& address);
