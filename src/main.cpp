#include <cstring>

#include "capture/capture_run.h"
#include "interaction/closing_prompt.h"
#include "interaction/messages.h"
#include "interaction/usage.h"
#include "interaction/viewer.h"
#include "output/output.h"
#include "system/ending.h"
#include "system/platform.h"
#include "system/process.h"

namespace {
// The first argument is a program, but for the two options and "--", which ends them, as env's
// does: the options run nothing and make no log. The exit status is the program's, as every
// wrapper's is; 1 for our own refusals.
sys::ProgramEnd runOnce(int argc, char** argv) {
    CaptureRun capture;
    if (!checkPlatform(messageLibrary)) return {1, 0};
    const int first = argc > 1 && std::strcmp(argv[1], "--") == 0 ? 2 : 1;
    if (first == 1 && argc > 1 && answerOption(argv[1])) return {0, 0};
    if (argc <= first) {
        printUsage();
        holdOwnConsole();
        return {1, 0};
    }
    capture.prepare(argc - first, argv + first);
    capture.run();
    if (askToViewLog()) viewLog(capture.log());
    return capture.programEnd();
}
}  // namespace

int main(int argc, char** argv) {
    sys::prepareProcess();
    if (!loadMessageLibrary(argv[0])) return 1;
    setUpOutput();
    const sys::ProgramEnd ended = runOnce(argc, argv);
    flushOutput();
    sys::endAsTheProgramDid(ended.signal);
    return ended.status;
}
