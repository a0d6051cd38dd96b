#include "platform/platform.h"

// Windows 95's anonymous pipes cannot be read without waiting, but every Windows can say how
// many bytes one holds. A peek that fails tells nothing, so it counts as a read that may wait;
// the read after it fails the same way and says why.
BOOL platform::PipeReader::read(void* buffer, DWORD size, LPDWORD count) {
    DWORD waiting = 0;
    const BOOL peeked = PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr);
    if ((!peeked || waiting == 0) && !beforeWaiting()) {
        *count = 0;
        return TRUE;
    }
    return ReadFile(pipe, buffer, size, count, nullptr);
}
