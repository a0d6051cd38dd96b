// What only Windows, here wine, can show.
#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "tarvix_fixture.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using WindowsTest = TarvixTest;

// Wine reports the version that an AppDefaults key names for executables of that name: win98
// is the Windows 95 family (platform 1), win31 is Win32s (platform 0).
TEST_F(WindowsTest, RunsOnTheWindows95FamilyAndRefusesWin32s) {
    const std::string library = (fs::path(built(TARVIX)).parent_path() / "tarvmsg.dll").string();
    for (const std::string version : {"win98", "win31"}) {
        const std::string name = "tarvix-" + version + ".exe";
        const std::string key = "HKCU\\Software\\Wine\\AppDefaults\\" + name;
        ASSERT_EQ(
            std::system(("reg add \"" + key + "\" /v Version /d " + version + " /f >NUL").c_str()),
            0);
        const Options options = copyOfUtility(name, library);
        const auto run = this->run(child({"out:started\\n"}), options);
        if (version == "win98") {
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_THAT(run.output, HasSubstr(echoed("started\n")));
        } else {
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.output, "") << "refused before anything starts";
        }
        EXPECT_THAT(tempEntries(), IsEmpty()) << version;
    }
}

// Held open by another process that lets it be deleted but not written, the file at the log
// path makes the utility's open fail; it is not the utility's to delete.
TEST_F(WindowsTest, AFileAtTheLogPathThatCannotBeOpenedIsNotDeleted) {
    HANDLE held = INVALID_HANDLE_VALUE;
    const Options options = planting([&](const std::string& log) {
        held = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    });
    const auto run = this->run(child({"out:shown\\n"}), options);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CloseHandle(held);
    EXPECT_THAT(run.output, HasSubstr("Error occured in CreateFile "));
    EXPECT_THAT(run.output, HasSubstr(echoed("shown\n")));
    EXPECT_EQ(tempEntries().size(), 1u);
}
