#include "tarvix_fixture.h"

#include "platform/platform.h"

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TarvixTest::TarvixTest() {
    std::random_device random;
    do root_ = fs::temp_directory_path() / ("tarvix-test-" + std::to_string(random()));
    while (!fs::create_directory(root_));
    fs::create_directory(tempDir());
    fs::create_directory(root_ / "kept");
    fs::create_directory(root_ / "seen");
}

TarvixTest::~TarvixTest() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::vector<std::string> TarvixTest::child(std::vector<std::string> actions) {
    actions.insert(actions.begin(), built(TEST_CHILD));
    return actions;
}

RunOptions TarvixTest::planting(std::function<void(const std::string& log)> plant) const {
    Options options;
    options.beforeStart = [temp = root_ / "temp", plant](unsigned long processId) {
        plant((temp / ("Tarvix" + std::to_string(processId) + ".log")).string());
    };
    return options;
}

RunOptions TarvixTest::copyOfUtility(const std::string& name, const std::string& library) const {
    const fs::path bin = root_ / "bin";
    fs::create_directories(bin);
    fs::copy_file(built(TARVIX), bin / name, fs::copy_options::overwrite_existing);
    if (!library.empty()) {
        fs::copy_file(library, bin / platform::kMessageLibraryFile,
                      fs::copy_options::overwrite_existing);
    }
    Options options;
    options.program = (bin / name).string();
    options.unset = {"NLSPATH"};
    return options;
}

std::string TarvixTest::viewer(const std::string& tag) {
    return built(TEST_VIEWER) + " " + tag;
}

RunOptions TarvixTest::viewing(std::vector<std::pair<std::string, std::string>> environment) const {
    environment.emplace_back("VIEWER_SEEN", (root_ / "seen").string());
    Options options;
    options.environment = environment;
    return options;
}

std::string TarvixTest::closing() {
    return echoed("\n\n\n" + prompt() + "\n");
}

std::string TarvixTest::echoOf(const std::string& output) {
    return output.substr(0, output.rfind(closing()));
}

std::vector<std::string> TarvixTest::tempEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(tempDir())) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}
