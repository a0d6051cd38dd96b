#include "diagnostics/report_failure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {
std::string captured(void (*action)()) {
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

const char* const kReport =
    "\nFile:src/diagnostics/report_failure\\.cpp\n"
    "Error occured in CreateProcess \t\t\ton line [0-9]+\n"
    "\nError:\\(2\\)No such file or directory\n ";
}  // namespace

TEST(ReportFailure, SaysNothingOnSuccessAndReturnsTheResult) {
    std::string output = captured([] { EXPECT_EQ(reportFailure(5, "CreatePipe"), 5); });
    EXPECT_EQ(output, "");
}

TEST(ReportFailure, PrintsWhereAndTheSystemTextOfEveryFailure) {
    const std::string output = captured([] {
        errno = ENOENT;
        reportFailure(0, "CreateProcess");
        errno = ENOENT;
        reportFailure(0, "CreateProcess");
    });
    EXPECT_THAT(output, testing::MatchesRegex(std::string(kReport) + kReport));
}
