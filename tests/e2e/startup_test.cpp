#include <filesystem>

#include "platform/platform.h"
#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StartupTest : public TarvixTest {
protected:
    // A copy of the utility beside a copy of this message library, or of none.
    Options copyWithLibrary(const char* library) {
        const std::string name = fs::path(built(TARVIX)).filename().string();
        return copyOfUtility(name, library ? built(library) : "");
    }

    // The lines of the utility's output, each ended as the platform ends them.
    static std::vector<std::string> lines(const std::string& output) {
        const std::string end = echoed("\n");
        std::vector<std::string> lines;
        for (std::size_t at = 0, next; (next = output.find(end, at)) != std::string::npos;
             at = next + end.size()) {
            lines.push_back(output.substr(at, next - at));
        }
        return lines;
    }
};

TEST_F(StartupTest, WithoutArgumentsPrintsEightUsageLinesAndExitsWithOne) {
    const auto run = this->run({});
    EXPECT_EQ(run.exitCode, 1);
    const auto usage = lines(run.output);
    ASSERT_EQ(usage.size(), 8u) << run.output;
    EXPECT_EQ(usage[1], "Usage: tarvix <program> [arguments...]");
    for (const auto& line : usage) {
        EXPECT_FALSE(line.empty());
        EXPECT_LE(line.size(), 79u) << line;
    }
    EXPECT_THAT(tempEntries(), IsEmpty());
}

TEST_F(StartupTest, WithoutItsMessageLibraryItStartsNothing) {
    const auto run = this->run(child({"out:started\\n"}), copyWithLibrary(nullptr));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, messageBox("Tarvix error", std::string("Cannot find ") +
                                                         platform::kMessageLibraryFile +
                                                         ". Tarvix will now terminate"));
    EXPECT_EQ(run.output, "") << "no child, no usage";
    EXPECT_THAT(tempEntries(), IsEmpty());
}

TEST_F(StartupTest, TextsAreCutTo79CharactersAndAMissingTextIsAnEmptyLine) {
    const auto run = this->run({}, copyWithLibrary(TEST_CATALOG));
    EXPECT_EQ(run.exitCode, 1);
    const std::string digits = "1234567890";
    EXPECT_THAT(
        lines(run.output),
        ElementsAre(digits + digits + digits + digits + digits + digits + digits + "123456789", "",
                    "three", "four", "five", "six", "seven", "eight"));
}
