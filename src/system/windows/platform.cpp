#include "system/platform.h"

#include <cstdio>

#include <windows.h>

// Nothing to ready: a closed standard handle is none, never the number of a handle we open.
void sys::prepareProcess() {}

// Win32s is the one family that does not run the utility.
sys::Family sys::platformFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return Family::Unknown;
    const DWORD id = version.dwPlatformId;
    const bool runs = id == VER_PLATFORM_WIN32_WINDOWS || id == VER_PLATFORM_WIN32_NT;
    return runs ? Family::Supported : Family::Unsupported;
}

// The box is seen only on a desktop: a user on SSH or in CI reads the text on standard error.
// Neither can tell of its own failure, and the box's only answer is its OK.
void sys::showError(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_SETFOREGROUND);
}

const char* const sys::kHelpOptions[] = {"--help", "/?", nullptr};
const char* const sys::kViewerVariables[] = {"RIVEZEVEVIVA", "EDITOR", nullptr};
const char sys::kDefaultViewer[] = "notepad";
