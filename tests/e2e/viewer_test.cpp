// The closing key, read here from a redirected input, and the viewer it starts.
#include <filesystem>

#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using ViewerTest = TarvixTest;

TEST_F(ViewerTest, VShowsTheLogInTheFirstViewerNamedAndWaitsForIt) {
    for (const char* key : {"v", "V"}) {
        auto options = viewing({{"RIVEZEVEVIVA", viewer("first")}, {"EDITOR", viewer("second")}});
        options.input = key;
        const auto run = this->run(child({"out:logged\\n"}), options);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(readFile(seen("first")), "logged\n")
            << key << ": the viewer, which takes its time, sees the log before it is deleted";
        EXPECT_FALSE(fs::exists(seen("second")));
        EXPECT_THAT(tempEntries(), IsEmpty());
        fs::remove(seen("first"));
    }
}

TEST_F(ViewerTest, EditorIsTheViewerWithoutRivezeveviva) {
    auto options = viewing({{"EDITOR", viewer("editor")}});
    options.unset = {"RIVEZEVEVIVA"};
    options.input = "v";
    this->run(child({"out:logged\\n"}), options);
    EXPECT_EQ(readFile(seen("editor")), "logged\n");
}

TEST_F(ViewerTest, AnyOtherKeyOrNoneStartsNoViewer) {
    for (const char* input : {"x", ""}) {
        auto options = viewing({{"RIVEZEVEVIVA", viewer("first")}});
        options.input = input;
        const auto run = this->run(child({"out:logged\\n"}), options);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(fs::is_empty(fs::path(seen("first")).parent_path())) << "input " << input;
        EXPECT_THAT(tempEntries(), IsEmpty());
    }
}

TEST_F(ViewerTest, AViewerThatCannotStartIsReported) {
    auto options = viewing({{"RIVEZEVEVIVA", "no-such-viewer"}});
    options.input = "v";
    const auto run = this->run(child({}), options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.output, HasSubstr("Error occured in CreateProcess \t\t\ton line"));
    EXPECT_THAT(tempEntries(), IsEmpty());
}
