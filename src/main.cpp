#include "capture/capture_run.h"
#include "interaction/closing_prompt.h"
#include "interaction/messages.h"
#include "interaction/usage.h"
#include "interaction/viewer.h"
#include "output/output.h"
#include "system/platform.h"

namespace {
// The first argument is a program, but for the two options: they run nothing and make no log.
int runOnce(int argc, char** argv) {
    CaptureRun capture;
    if (!checkPlatform(messageLibrary)) return 1;
    if (argc < 2) {
        printUsage();
        holdOwnConsole();
        return 1;
    }
    if (answerOption(argv[1])) return 0;
    capture.prepare(argc - 1, argv + 1);
    capture.run();
    if (askToViewLog()) viewLog(capture.log());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    sys::prepareProcess();
    if (!loadMessageLibrary(argv[0])) return 1;
    setUpOutput();
    const int code = runOnce(argc, argv);
    flushOutput();
    return code;
}
