#include "interaction/usage.h"

#include <cstring>

#include "interaction/key.h"
#include "interaction/messages.h"
#include "output/output.h"

void printUsage() {
    MessageBuffer line;
    for (UINT id = IDS_USAGE_FIRST; id <= IDS_USAGE_LAST; ++id) {
        messageLibrary.load(id, line);
        say("%s\n", line);
    }
}

bool asksForHelp(const char* argument) {
    for (const char* option : platform::kHelpOptions) {
        if (std::strcmp(argument, option) == 0) return true;
    }
    return false;
}

bool asksForVersion(const char* argument) {
    return std::strcmp(argument, "--version") == 0;
}

void printVersion() {
    say("tarvix %s\n", TARVIX_VERSION);
}

void holdOwnConsole() {
    char key;
    if (platform::ownsConsoleAlone()) readKey(key);
}
