// The generated case table: its size and order, sample records, and the
// conversions checked against a plain scan of the table for every unit.
#include "text/ElCaseTable.h"

#include <array>
#include <cstdio>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "text/ElStrUtils.h"

namespace {

struct Rec {
  std::uint8_t status;
  unsigned source;
  std::array<unsigned, 3> folded;
};

bool Matches(const TElCaseRecord& r, const Rec& e) {
  return r.Status == e.status && r.Source == e.source && r.Folded[0] == e.folded[0] &&
         r.Folded[1] == e.folded[1] && r.Folded[2] == e.folded[2];
}

std::string Describe(const TElCaseRecord& r) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "{%u, %04X, {%04X %04X %04X}}", r.Status,
                static_cast<unsigned>(r.Source), static_cast<unsigned>(r.Folded[0]),
                static_cast<unsigned>(r.Folded[1]), static_cast<unsigned>(r.Folded[2]));
  return buf;
}

std::size_t IndexOf(const Rec& e) {
  for (std::size_t i = 0; i < ElCaseTableSize; ++i)
    if (Matches(ElCaseTable[i], e)) return i;
  return ElCaseTableSize;
}

TEST(ElCaseTable, CountsRecordsByStatus) {
  std::map<int, int> counts;
  for (const TElCaseRecord& r : ElCaseTable) ++counts[r.Status];
  EXPECT_EQ(ElCaseTableSize, 816u);
  EXPECT_EQ(counts[csCommon], 683 + 2);  // the folding data and the two extra records
  EXPECT_EQ(counts[csSimple], 27);
  EXPECT_EQ(counts[csFull], 102);
  EXPECT_EQ(counts[csTurkic], 2);
  EXPECT_EQ(counts.size(), 4u);
}

TEST(ElCaseTable, RecordsAreWellFormed) {
  for (const TElCaseRecord& r : ElCaseTable) {
    SCOPED_TRACE(Describe(r));
    EXPECT_NE(r.Folded[0], 0);
    // Units in use come first; only full foldings use more than one.
    EXPECT_TRUE(r.Folded[1] != 0 || r.Folded[2] == 0);
    EXPECT_EQ(r.Folded[1] != 0, r.Status == csFull);
  }
}

TEST(ElCaseTable, SampleRecords) {
  const Rec samples[] = {
      {csCommon, 0x0041, {0x0061, 0, 0}},
      {csFull, 0x00DF, {0x0073, 0x0073, 0}},
      {csTurkic, 0x0130, {0x0069, 0, 0}},
      {csTurkic, 0x0131, {0x0069, 0, 0}},
      {csFull, 0x0390, {0x03B9, 0x0308, 0x0301}},
      {csCommon, 0x03C2, {0x03C3, 0, 0}},
      {csSimple, 0x1F88, {0x1F80, 0, 0}},
      {csFull, 0x1F88, {0x1F00, 0x03B9, 0}},
      {csCommon, 0x212A, {0x006B, 0, 0}},
      {csCommon, 0xFF3A, {0xFF5A, 0, 0}},
  };
  for (const Rec& e : samples) EXPECT_LT(IndexOf(e), ElCaseTableSize) << std::hex << e.source;
  EXPECT_TRUE(Matches(ElCaseTable[0], {csCommon, 0x0041, {0x0061, 0, 0}}));
  EXPECT_TRUE(Matches(ElCaseTable[ElCaseTableSize - 1], {csCommon, 0xFF3A, {0xFF5A, 0, 0}}));
}

TEST(ElCaseTable, HasNoFoldingAddedAfterItsVersion) {
  std::set<unsigned> sources;
  for (const TElCaseRecord& r : ElCaseTable) sources.insert(r.Source);
  for (unsigned u : {0x0220u, 0x0500u, 0x050Eu, 0x10A0u, 0x10C5u, 0x2132u, 0x1E9Eu})
    EXPECT_EQ(sources.count(u), 0u) << std::hex << u;
}

TEST(ElCaseTable, GroupsTheRecordsAroundU0345AndMicroSign) {
  const Rec groups[2][3] = {
      {{csCommon, 0x0399, {0x03B9, 0, 0}},
       {csCommon, 0x0345, {0x03B9, 0, 0}},
       {csCommon, 0x0399, {0x0345, 0, 0}}},
      {{csCommon, 0x039C, {0x03BC, 0, 0}},
       {csCommon, 0x00B5, {0x03BC, 0, 0}},
       {csCommon, 0x039C, {0x00B5, 0, 0}}},
  };
  std::set<std::size_t> grouped;
  for (const auto& group : groups) {
    const std::size_t at = IndexOf(group[0]);
    ASSERT_LE(at + 3, ElCaseTableSize);
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_TRUE(Matches(ElCaseTable[at + k], group[k])) << Describe(ElCaseTable[at + k]);
      grouped.insert(at + k);
    }
  }
  // No other record mentions U+0345 or the micro sign.
  for (std::size_t i = 0; i < ElCaseTableSize; ++i) {
    if (grouped.count(i)) continue;
    const TElCaseRecord& r = ElCaseTable[i];
    for (char16_t u : {r.Source, r.Folded[0], r.Folded[1], r.Folded[2]})
      EXPECT_TRUE(u != 0x0345 && u != 0x00B5) << Describe(r);
  }
  // Everything else stands in ascending order of its source, and each group
  // at the place of its capital letter.
  unsigned previous = 0;
  for (std::size_t i = 0; i < ElCaseTableSize; ++i) {
    if (grouped.count(i) && ElCaseTable[i].Source != 0x0399 && ElCaseTable[i].Source != 0x039C)
      continue;
    EXPECT_GE(ElCaseTable[i].Source, previous) << Describe(ElCaseTable[i]);
    previous = ElCaseTable[i].Source;
  }
}

// The conversions by their definition: the first record in table order whose
// status is C, S or I and whose key (the source for lowering, the first folded
// unit for raising) is the unit.
char16_t ScanLower(char16_t u) {
  for (const TElCaseRecord& r : ElCaseTable)
    if ((r.Status & (csCommon | csSimple | csTurkic)) && r.Source == u) return r.Folded[0];
  return u;
}

char16_t ScanUpper(char16_t u) {
  for (const TElCaseRecord& r : ElCaseTable)
    if ((r.Status & (csCommon | csSimple | csTurkic)) && r.Folded[0] == u) return r.Source;
  return u;
}

TEST(ElCaseTable, ConversionsFollowTheFirstRecordForEveryUnit) {
  std::set<char16_t> mentioned;
  for (const TElCaseRecord& r : ElCaseTable) {
    mentioned.insert(r.Source);
    mentioned.insert(r.Folded[0]);
  }
  // All units in one text, so one call of each conversion checks them all.
  WideString all;
  for (unsigned u = 0; u < 0x10000; ++u) all.push_back(static_cast<char16_t>(u));
  const WideString upper = WideUpperCase(all);
  const WideString lower = WideLowerCase(all);
  ASSERT_EQ(upper.size(), all.size());
  ASSERT_EQ(lower.size(), all.size());
  for (unsigned u = 0; u < 0x10000; ++u) {
    const char16_t unit = static_cast<char16_t>(u);
    const bool inTable = mentioned.count(unit) != 0;
    EXPECT_EQ(upper[u], inTable ? ScanUpper(unit) : unit) << std::hex << u;
    EXPECT_EQ(lower[u], inTable ? ScanLower(unit) : unit) << std::hex << u;
  }
}

}  // namespace
