#include "system/pipe.h"

#include <algorithm>

#include "system/windows/win32.h"

// Made inheritable, for the program to get its write end (system/process.h). The read end is not
// to be inherited: holding it, the program would never learn that nobody reads. It is replaced by
// a copy that no child inherits; closing the original, which nothing else holds, can only fail
// for a handle that is not one.
bool sys::createPipe(Pipe& pipe) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inheritable, 65536)) return false;
    pipe.read = Handle(asNative(read));
    pipe.write = Handle(asNative(write));
    HANDLE copy = nullptr;
    const HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, read, self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) return false;
    pipe.read = Handle(asNative(copy));
    return true;
}

// Windows 95's anonymous pipes cannot be read without waiting: what waits is written out before
// every read, which then takes at once whatever the pipe holds. Each read and each write of a pipe
// is a call to the system, under wine one to its server (hence no peek first): a short pause once
// the echo is out lets a busy program's writes gather, so that one read takes many. A line that
// comes during the pause shows when it ends, at most a clock tick later. One ReadFile takes at
// most MAXDWORD bytes.
constexpr DWORD kGatherMilliseconds = 5;

sys::PipeRead sys::readPipe(const Handle& pipe, char* buffer, std::size_t size, std::size_t& count,
                            bool (*beforeWaiting)()) {
    const HANDLE handle = asHandle(pipe.get());
    count = 0;
    if (!beforeWaiting()) return PipeRead::Bytes;
    Sleep(kGatherMilliseconds);
    // Once the program has ended, what it left behind may hold the pipe: the pipe is looked into
    // rather than waited on, so that an interrupt can end the wait. A peek that fails leaves it
    // to the read to say why (the pipe's end).
    for (DWORD waiting = 0; programHasEnded(); Sleep(kGatherMilliseconds)) {
        if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &waiting, nullptr) || waiting > 0) break;
        if (interruptedMeanwhile()) return PipeRead::End;
    }
    DWORD read = 0;
    const auto most = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
    if (!ReadFile(handle, buffer, most, &read, nullptr)) {
        return GetLastError() == ERROR_BROKEN_PIPE ? PipeRead::End : PipeRead::Failed;
    }
    count = read;
    return PipeRead::Bytes;
}
