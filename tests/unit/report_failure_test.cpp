#include "diagnostics/report_failure.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace {
std::string captured(void (*action)()) {
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// Fails the way a missing program does, with code 2 on every platform.
void failToStartAProgram() {
    std::string line = "no-such-program-anywhere ";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process);
    reportFailure(0, "CreateProcess");
}

// The report with its line number, the reporter's own affair, taken out.
std::string withoutLineNumber(std::string report) {
    for (std::size_t at = 0; (at = report.find("on line ", at)) != std::string::npos;) {
        at += 8;
        const std::size_t end = report.find('\n', at);
        EXPECT_NE(report.find_first_not_of("0123456789", at), at) << "no line number";
        report.replace(at, end - at, "N");
    }
    return report;
}

std::string systemText(DWORD code) {
    char text[500] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    return text;
}
}  // namespace

TEST(ReportFailure, SaysNothingOnSuccessAndReturnsTheResult) {
    std::string output = captured([] { EXPECT_EQ(reportFailure(5, "CreatePipe"), 5); });
    EXPECT_EQ(output, "");
}

TEST(ReportFailure, PrintsWhereAndTheSystemTextOfEveryFailure) {
    const std::string report =
        "\nFile:src/diagnostics/report_failure.cpp\n"
        "Error occured in CreateProcess \t\t\ton line N\n"
        "\nError:(2)" +
        systemText(2) + " ";
    EXPECT_EQ(withoutLineNumber(captured([] {
                  failToStartAProgram();
                  failToStartAProgram();
              })),
              report + report);
}
