// What the Windows seams share: handles as the seams hold them, and the outcome of several calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/handle.h"

namespace sys {

inline HANDLE asHandle(Handle::Native native) {
    return reinterpret_cast<HANDLE>(native);
}

// A null handle, as GetStdHandle gives for a handle the process has none of, is none too.
inline Handle::Native asNative(HANDLE handle) {
    return handle ? reinterpret_cast<Handle::Native>(handle) : Handle::kNone;
}

// A failure of our own, with its last error.
inline bool failWith(DWORD error) {
    SetLastError(error);
    return false;
}

// Text between a code page and UTF-16; empty when the conversion fails.
std::wstring widened(const std::string& text, UINT codePage);
std::string narrowed(const std::wstring& wide, UINT codePage);
// Whether each text comes back unchanged: a character the code page lacks would come back as a
// question mark, or a letter without its accent.
bool holds(UINT codePage, const std::vector<std::wstring>& texts);

// Whether the program started has ended (process.cpp), and whether an interrupt has come while
// the keys were left to others (ending.cpp).
bool programHasEnded();
bool interruptedMeanwhile();

// The outcome of calls that each run even when one before failed: the first failure counts, and
// its last error is the one the caller sees.
class FirstFailure {
public:
    // Just after a call: whether it went well, passed on.
    bool note(bool ok) {
        if (!ok && ok_) error_ = GetLastError();
        ok_ = ok_ && ok;
        return ok;
    }
    bool result() const {
        if (!ok_) SetLastError(error_);
        return ok_;
    }

private:
    bool ok_ = true;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace sys
