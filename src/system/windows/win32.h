// What the Windows seams share: handles as the seams hold them, and the outcome of several calls.
#pragma once

#include <windows.h>

#include "system/handle.h"

namespace sys {

inline HANDLE asHandle(Handle::Native native) {
    return reinterpret_cast<HANDLE>(native);
}

// A null handle, as GetStdHandle gives for a handle the process has none of, is none too.
inline Handle::Native asNative(HANDLE handle) {
    return handle ? reinterpret_cast<Handle::Native>(handle) : Handle::kNone;
}

// The outcome of calls that each run even when one before failed: the first failure counts, and
// its last error is the one the caller sees.
class FirstFailure {
public:
    // Notes, just after a call, whether it went well.
    void note(bool ok) {
        if (ok || !ok_) return;
        ok_ = false;
        error_ = GetLastError();
    }
    // Whether every call went well; if not, with the first failure's last error set again.
    bool result() const {
        if (!ok_) SetLastError(error_);
        return ok_;
    }

private:
    bool ok_ = true;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace sys
