#include "interaction/usage.h"

#include <cstdio>

#include "interaction/messages.h"

void printUsage() {
    MessageBuffer line;
    for (UINT id = IDS_USAGE_FIRST; id <= IDS_USAGE_LAST; ++id) {
        loadMessage(messageLibrary, id, line);
        std::printf("%s\n", line);
    }
}
