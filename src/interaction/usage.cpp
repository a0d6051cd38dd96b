#include "interaction/usage.h"

#include <cstring>

#include "interaction/closing_prompt.h"
#include "interaction/messages.h"
#include "output/output.h"
#include "system/platform.h"
#include "system/terminal.h"

void printUsage() {
    MessageBuffer line;
    for (unsigned id = IDS_USAGE_FIRST; id <= IDS_USAGE_LAST; ++id) {
        messageLibrary.load(id, line);
        say("%s\n", line);
    }
}

bool answerOption(const char* argument) {
    for (const char* const* option = sys::kHelpOptions; *option; ++option) {
        if (std::strcmp(argument, *option) == 0) return printUsage(), true;
    }
    if (std::strcmp(argument, "--version") != 0) return false;
    say("tarvix %s\n", TARVIX_VERSION);
    return true;
}

void holdOwnConsole() {
    char key;
    if (sys::consoleIsOursAlone() && flushOutput()) readKey(key);
}
