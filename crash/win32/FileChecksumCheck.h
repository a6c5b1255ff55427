#pragma once
// Checks a module's file against the checksum stored in its header, for the
// reporter's start-up check of its own executable. Any thread.
#include <string>

enum class TFileChecksum { NotStored, Matches, Differs, Unreadable };

// The file is mapped read-only; a header checksum of 0 means none is stored.
TFileChecksum CheckFileChecksum(const std::string& path);
