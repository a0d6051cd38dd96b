#include "tarvix_fixture.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TarvixTest::TarvixTest() {
    std::string pattern = (fs::temp_directory_path() / "tarvix-test-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    fs::create_directory(tempDir());
    fs::create_directory(root_ + "/kept");
}

TarvixTest::~TarvixTest() {
    fs::remove_all(root_);
}

std::vector<std::string> TarvixTest::child(std::vector<std::string> actions) {
    actions.insert(actions.begin(), TEST_CHILD);
    return actions;
}

TarvixTest::Outcome TarvixTest::run(const std::vector<std::string>& args,
                                    const RunOptions& options) {
    const std::string outputPath = kept("stdout");
    const std::string errorsPath = kept("stderr");
    int outputPipe[2] = {-1, -1};
    if (options.closedOutput && pipe(outputPipe) != 0) ADD_FAILURE() << "pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("TEMP", tempDir().c_str(), 1);
        unsetenv("TMP");
        unsetenv("TMPDIR");
        for (const auto& name : options.unset) unsetenv(name.c_str());
        for (const auto& [name, value] : options.environment)
            setenv(name.c_str(), value.c_str(), 1);
        const int input = open("/dev/null", O_RDONLY);
        const int output = options.closedOutput
                               ? outputPipe[1]
                               : open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(input, 0);
        dup2(output, 1);
        dup2(errors, 2);
        close(input);
        close(output);
        close(errors);
        if (options.closedOutput) close(outputPipe[0]);
        if (options.beforeExec) options.beforeExec();
        std::vector<char*> argv{const_cast<char*>(options.program.c_str())};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (options.closedOutput) {
        close(outputPipe[0]);
        close(outputPipe[1]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (!options.closedOutput) outcome.output = readFile(outputPath);
    outcome.errors = readFile(errorsPath);
    return outcome;
}

std::vector<std::string> TarvixTest::tempEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(tempDir()))
        names.push_back(entry.path().filename());
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}
