#pragma once

#include <cstdint>

namespace sys {

// A descriptor (POSIX) or handle (Windows), and the duty to close it: by the operation that uses
// it last, which may report close()'s result; else when its owner ends.
class Handle {
public:
    using Native = std::intptr_t;
    static constexpr Native kNone = -1;

    Handle() = default;
    explicit Handle(Native native) : native_(native) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle& operator=(Handle&& other) noexcept {
        close();
        native_ = other.release();
        return *this;
    }

    Native get() const { return native_; }
    explicit operator bool() const { return native_ != kNone; }
    Native release() {
        const Native native = native_;
        native_ = kNone;
        return native;
    }
    // False, with the last error set, when closing failed.
    bool close();

private:
    Native native_ = kNone;
};

}  // namespace sys
