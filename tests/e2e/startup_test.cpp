#include <filesystem>
#include <sstream>

#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}
}  // namespace

class StartupTest : public TarvixTest {
protected:
    // A copy of the utility in a directory of its own, beside the given catalog if any.
    RunOptions copyWithCatalog(const char* catalog) {
        const std::string bin = scratch("bin");
        fs::create_directory(bin);
        fs::copy_file(TARVIX, bin + "/tarvix");
        if (catalog) fs::copy_file(catalog, bin + "/tarvmsg.cat");
        RunOptions options;
        options.program = bin + "/tarvix";
        options.unset = {"NLSPATH"};
        return options;
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

TEST_F(StartupTest, WithoutItsCatalogItStartsNothing) {
    const auto run = this->run(child({"out:started\\n"}), copyWithCatalog(nullptr));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "Tarvix error: Cannot find tarvmsg.cat. Tarvix will now terminate\n");
    EXPECT_EQ(run.output, "") << "no child, no usage";
    EXPECT_THAT(tempEntries(), IsEmpty());
}

TEST_F(StartupTest, TextsAreCutTo79CharactersAndAMissingTextIsAnEmptyLine) {
    const auto run = this->run({}, copyWithCatalog(TEST_CATALOG));
    EXPECT_EQ(run.exitCode, 1);
    const std::string digits = "1234567890";
    EXPECT_THAT(
        lines(run.output),
        ElementsAre(digits + digits + digits + digits + digits + digits + digits + "123456789", "",
                    "three", "four", "five", "six", "seven", "eight"));
}
