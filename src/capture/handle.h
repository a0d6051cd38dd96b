#pragma once

#include "platform/platform.h"

// A handle and the duty to close it: by the operation that uses it last, through close(), whose
// result that operation may report; else when its owner ends. Null when there is none.
class Handle {
public:
    Handle() = default;
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    // Where a call puts the handle it makes (CreatePipe, DuplicateHandle); none may be held.
    HANDLE* receive() { return &handle_; }
    // Holds another in its place, closing the one held.
    void reset(HANDLE handle) {
        close();
        handle_ = handle;
    }
    // Closes the handle now, if there is one; whether that went well.
    BOOL close() {
        const HANDLE handle = handle_;
        handle_ = nullptr;
        return handle && handle != INVALID_HANDLE_VALUE ? CloseHandle(handle) : TRUE;
    }

private:
    HANDLE handle_ = nullptr;
};
