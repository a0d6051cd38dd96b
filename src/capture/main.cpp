#include <cstdio>

#include "capture/capture_run.h"
#include "interaction/closing_prompt.h"
#include "interaction/messages.h"
#include "interaction/platform_check.h"
#include "interaction/usage.h"

namespace {
constexpr std::size_t kOutputBufferBytes = 4096;

// Each echo reaches a console at once, since a child's prompt without a line end must show
// before the child waits for input; redirected output is written 4096 bytes at a time.
void setOutputBuffering() {
    DWORD mode;
    // A question, not an operation: failing means the output is no console.
    const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode);
    std::setvbuf(stdout, nullptr, console ? _IONBF : _IOFBF, kOutputBufferBytes);
}
}  // namespace

int main(int argc, char** argv) {
    platform::prepareProcess();
    if (!loadMessageLibrary()) return 1;
    setOutputBuffering();
    CaptureRun capture;
    if (!checkPlatform(messageLibrary)) return 1;
    if (argc < 2) {
        printUsage();
        return 1;
    }
    capture.prepare(argc - 1, argv + 1);
    capture.run();
    if (askToViewLog()) capture.viewLog();
    return 0;
}
