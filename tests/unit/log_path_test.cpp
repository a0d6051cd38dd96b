#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <string>

#include "capture/log_file.h"
#include "platform/platform.h"

namespace {
const std::string kSeparator = platform::kPathSeparator;

class LogPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* variable : platform::kTempVariables) unsetenv(variable);
    }
};
}  // namespace

TEST_F(LogPathTest, NamesTheLogAfterTheProcessId) {
    EXPECT_EQ(logPathFor(1234), "Tarvix1234.log") << "no variable: the current directory";
    setenv(platform::kTempVariables[0], "dir", 1);
    EXPECT_EQ(logPathFor(4294967295u), "dir" + kSeparator + "Tarvix4294967295.log");
}

TEST_F(LogPathTest, TheFirstVariablePresentWinsEvenWhenEmpty) {
    const auto count = std::size(platform::kTempVariables);
    for (std::size_t i = count; i-- > 0;) {
        setenv(platform::kTempVariables[i], ("dir" + std::to_string(i)).c_str(), 1);
        EXPECT_EQ(logPathFor(7), "dir" + std::to_string(i) + kSeparator + "Tarvix7.log");
    }
    setenv(platform::kTempVariables[0], "", 1);
    EXPECT_EQ(logPathFor(7), kSeparator + "Tarvix7.log");
}

TEST_F(LogPathTest, KeepsTheDirectoryAsItStands) {
    setenv(platform::kTempVariables[0], ("a" + kSeparator).c_str(), 1);
    EXPECT_EQ(logPathFor(7), "a" + kSeparator + kSeparator + "Tarvix7.log");
}
