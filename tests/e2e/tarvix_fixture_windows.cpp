#include <windows.h>

#include <fstream>
#include <optional>

#include "tarvix_fixture.h"

namespace {
// A bound on waiting for the utility, so that a hang fails the test instead of the whole run.
constexpr DWORD kPatienceMilliseconds = 60000;

// Quotes an argument so that the program's start-up code gives it back as it is.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string line = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    return line.append(2 * backslashes, '\\') + "\"";
}

// Environment variables set for one run and put back afterwards. The utility gets the process
// environment, and under wine a variable set outside, TEMP above all, does not reach it.
class EnvironmentScope {
public:
    ~EnvironmentScope() {
        for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) {
            SetEnvironmentVariableA(saved->first.c_str(),
                                    saved->second ? saved->second->c_str() : nullptr);
        }
    }
    // A null value removes the variable.
    void set(const std::string& name, const char* value) {
        char old[32768];
        const DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
        const bool present = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
        saved_.emplace_back(name, present ? std::optional<std::string>(old) : std::nullopt);
        SetEnvironmentVariableA(name.c_str(), value);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

HANDLE inheritableFile(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int runToEnd(std::string line, HANDLE input, HANDLE output, HANDLE errors,
             const std::function<void(unsigned long)>& beforeStart) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << line << ": " << GetLastError();
        return -1;
    }
    if (beforeStart) beforeStart(process.dwProcessId);
    ResumeThread(process.hThread);
    if (WaitForSingleObject(process.hProcess, kPatienceMilliseconds) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the utility hangs";
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}
}  // namespace

// The build names its outputs by their Unix paths; wine sees the Unix root as drive Z:.
std::string TarvixTest::built(const char* path) {
    std::string native = std::string("Z:") + path;
    for (char& c : native) {
        if (c == '/') c = '\\';
    }
    return native;
}

std::string TarvixTest::echoed(const std::string& bytes) {
    std::string text;  // the runtime's text mode writes each line feed as CR LF
    for (const char c : bytes) text += c == '\n' ? "\r\n" : std::string(1, c);
    return text;
}

unsigned long TarvixTest::notAConsoleError() {
    return ERROR_INVALID_HANDLE;
}

// Without a display wine shows no box, and a box leaves nothing on standard error anyway.
std::string TarvixTest::messageBox(const std::string&, const std::string&) {
    return "";
}

std::string TarvixTest::prompt() {
    const std::string library =
        (std::filesystem::path(built(TARVIX)).parent_path() / "tarvmsg.dll").string();
    HMODULE messages = LoadLibraryExA(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char text[80] = "";
    LoadStringA(messages, 9, text, sizeof text);
    FreeLibrary(messages);
    return text;
}

RunOutcome TarvixTest::run(const std::vector<std::string>& args, const Options& options) {
    Outcome outcome;
    if (options.closedInput || options.output != RunOptions::Output::File) {
        ADD_FAILURE() << "only files as standard handles on Windows";
        return outcome;
    }
    std::ofstream(kept("stdin"), std::ios::binary) << options.input;
    HANDLE input = inheritableFile(kept("stdin"), false);
    HANDLE output = inheritableFile(kept("stdout"), true);
    HANDLE errors = inheritableFile(kept("stderr"), true);
    {
        EnvironmentScope environment;
        environment.set("TEMP", tempDir().c_str());
        environment.set("TMP", nullptr);
        for (const auto& name : options.unset) environment.set(name, nullptr);
        for (const auto& [name, value] : options.environment) environment.set(name, value.c_str());
        std::string line = quoted(options.program.empty() ? built(TARVIX) : options.program);
        for (const std::string& arg : args) line += " " + quoted(arg);
        outcome.exitCode = runToEnd(line, input, output, errors, options.beforeStart);
    }
    for (HANDLE handle : {input, output, errors}) CloseHandle(handle);
    outcome.output = readFile(kept("stdout"));
    outcome.errors = readFile(kept("stderr"));
    return outcome;
}

RunOutcome TarvixTest::runInTerminal(const std::vector<std::string>&, const std::string&,
                                     const Options&) {
    ADD_FAILURE() << "no pseudo-terminal on Windows";
    return {};
}
