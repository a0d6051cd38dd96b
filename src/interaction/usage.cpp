#include "interaction/usage.h"

#include "interaction/key.h"
#include "interaction/messages.h"
#include "interaction/output.h"

void printUsage() {
    MessageBuffer line;
    for (UINT id = IDS_USAGE_FIRST; id <= IDS_USAGE_LAST; ++id) {
        loadMessage(messageLibrary, id, line);
        say("%s\n", line);
    }
}

void holdOwnConsole() {
    char key;
    if (platform::ownsConsoleAlone()) readKey(key);
}
