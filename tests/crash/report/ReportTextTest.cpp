#include <gtest/gtest.h>

#include "crash/MEFields.h"
#include "crash/report/ReportText.h"

namespace {

TEST(ReportText, HeaderNamesArePaddedAndValuesStayOnOneLine) {
  TIMEFields header, sections;
  header.Add("date/time", "2026-12-10, 19:05:07, 42ms");
  header.Add("exception message", "first line\r\nsecond   line\nthird\r\n");
  header.Add("version", "  1.0");
  EXPECT_EQ(AssembleReportText(header, sections),
            "date/time         : 2026-12-10, 19:05:07, 42ms\r\n"
            "exception message : first line second line third\r\n"
            "version           :  1.0");  // a leading blank is content
}

TEST(ReportText, SectionsFollowWithNameLinesAndDotsForEmptyLines) {
  TIMEFields header, sections;
  header.Add("a", "1");
  sections.Add("main thread ($1a4):", "line 1\r\n\r\nline 3\t\r\n   \r\n");
  sections.Add("cpu registers", "eax = 00000000\n\nebx = 00000001");
  EXPECT_EQ(AssembleReportText(header, sections),
            "a : 1\r\n"
            "\r\n"
            "main thread ($1a4):\r\n"
            "line 1\r\n"
            ".\r\n"
            "line 3\r\n"
            "   \r\n"  // blanks are content, not control characters
            "\r\n"
            "cpu registers:\r\n"
            "eax = 00000000\r\n"
            ".\r\n"
            "ebx = 00000001");
}

TEST(ReportText, EmptyListsGiveAnEmptyText) {
  TIMEFields header, sections;
  EXPECT_EQ(AssembleReportText(header, sections), "");
}

}  // namespace
