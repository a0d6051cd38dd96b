#include "capture/log_file.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>

#include "platform/platform.h"

namespace {
const std::string kSeparator = platform::kPathSeparator;

std::string pathWith(const std::map<std::string, std::string>& environment, unsigned long id = 7) {
    return logPathFor(id, [&](const char* name) {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
}
}  // namespace

TEST(LogPath, NamesTheLogAfterTheProcessId) {
    EXPECT_EQ(pathWith({}, 1234), "Tarvix1234.log") << "no variable: the current directory";
    EXPECT_EQ(pathWith({{platform::kTempVariables[0], "dir"}}, 4294967295u),
              "dir" + kSeparator + "Tarvix4294967295.log");
}

TEST(LogPath, TheFirstVariablePresentWinsEvenWhenEmpty) {
    std::map<std::string, std::string> environment;
    for (std::size_t i = std::size(platform::kTempVariables); i-- > 0;) {
        environment[platform::kTempVariables[i]] = "dir" + std::to_string(i);
        EXPECT_EQ(pathWith(environment), "dir" + std::to_string(i) + kSeparator + "Tarvix7.log");
    }
    environment[platform::kTempVariables[0]] = "";
    EXPECT_EQ(pathWith(environment), kSeparator + "Tarvix7.log");
    EXPECT_EQ(pathWith({{"TMP", "second"}, {"TEMP", "first"}}),
              "first" + kSeparator + "Tarvix7.log");
}

TEST(LogPath, KeepsTheDirectoryAsItStands) {
    EXPECT_EQ(pathWith({{platform::kTempVariables[0], "a" + kSeparator}}),
              "a" + kSeparator + kSeparator + "Tarvix7.log");
}
