#pragma once
// What every volume must answer for identities: the same entry reached by two
// spellings of its path is one identity, two entries are two, and an invalid
// handle answers nothing.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/EscapedUtf8.h"
#include "platform/VolumeControl.h"

// paths[name] holds spellings of one entry; every name a different entry.
inline void ExpectIdentitiesTellEntriesApart(TVolumeControl& volume,
                                             const std::map<std::string, std::vector<WideString>>& paths) {
  std::vector<TEntryIdentity> seen;
  for (const auto& [name, spellings] : paths) {
    SCOPED_TRACE(name);
    std::vector<TEntryIdentity> identities;
    for (const WideString& path : spellings) {
      const EntryHandle handle = volume.OpenEntry(path);
      ASSERT_NE(handle, kInvalidEntryHandle) << EncodeEscapedUtf8(path);
      TEntryIdentity identity;
      EXPECT_TRUE(volume.QueryIdentity(handle, identity));
      volume.CloseEntry(handle);
      identities.push_back(identity);
    }
    for (const TEntryIdentity& identity : identities) EXPECT_EQ(identity, identities.front());
    for (const TEntryIdentity& other : seen) EXPECT_NE(identities.front(), other);
    seen.push_back(identities.front());
  }
  TEntryIdentity untouched{7, 7};
  EXPECT_FALSE(volume.QueryIdentity(kInvalidEntryHandle, untouched));
  EXPECT_EQ(untouched, (TEntryIdentity{7, 7}));
}
