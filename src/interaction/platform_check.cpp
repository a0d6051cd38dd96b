#include "interaction/platform_check.h"

#include "interaction/messages.h"

UINT platformRefusal(BOOL queried, DWORD platformId) {
    if (!queried) return IDS_VERSION_QUERY_FAILED;
    if (platformId == VER_PLATFORM_WIN32_WINDOWS || platformId == VER_PLATFORM_WIN32_NT) return 0;
    return IDS_PLATFORM_UNSUPPORTED;
}

bool checkPlatform(const MessageLibrary& library) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    const BOOL queried = GetVersionExA(&version);
    const UINT refusal = platformRefusal(queried, version.dwPlatformId);
    if (refusal == 0) return true;
    MessageBuffer text;
    MessageBuffer caption;
    library.load(refusal, text);
    library.load(IDS_PLATFORM_CAPTION, caption);
    MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_SETFOREGROUND);
    return false;
}
