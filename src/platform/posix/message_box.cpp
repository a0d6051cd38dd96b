#include <cstdio>

#include "platform/posix/win32.h"

// There is no desktop to show a box on: its caption and text are a line on standard error.
int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}
