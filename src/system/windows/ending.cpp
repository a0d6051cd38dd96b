#include "system/ending.h"

#include <atomic>

#include "system/windows/win32.h"

namespace {
constexpr int kMostCleanups = 4;

// The clean-ups, the last added on top, read by the routine on its own thread from the top down:
// one that moves down meanwhile runs twice at worst, never missed. On x86, release and acquire
// take no fence instruction, which a processor without SSE2 would lack.
std::atomic<sys::Cleanup> cleanups[kMostCleanups];
std::atomic<int> cleanupCount{0};
std::atomic<bool> interruptsLeft{false};
std::atomic<bool> interrupted{false};
bool routineInstalled = false;

// Called on a thread of its own. FALSE leaves the event to Windows' default handler, which ends
// the process as the event would have.
BOOL WINAPI onConsoleEvent(DWORD event) {
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    if (interrupt && interruptsLeft.load(std::memory_order_acquire)) {
        interrupted.store(true, std::memory_order_release);
        return TRUE;
    }
    for (int at = cleanupCount.load(std::memory_order_acquire) - 1; at >= 0; --at) {
        const sys::Cleanup cleanup = cleanups[at].load(std::memory_order_acquire);
        if (cleanup) cleanup();
    }
    return FALSE;
}

// One routine serves every clean-up, and the interrupts. A failure is tried again next time.
bool installRoutine() {
    if (!routineInstalled) routineInstalled = SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    return routineInstalled;
}
}  // namespace

// A clean-up may run twice, on the routine's thread while the main thread goes on.
bool sys::onEnding(Cleanup cleanup) {
    const int count = cleanupCount.load(std::memory_order_relaxed);
    if (count == kMostCleanups) return failWith(ERROR_NOT_ENOUGH_MEMORY);
    if (!installRoutine()) return false;
    cleanups[count].store(cleanup, std::memory_order_release);
    cleanupCount.store(count + 1, std::memory_order_release);
    return true;
}

// The ones above it move down, then the top goes.
void sys::noLongerOnEnding(Cleanup cleanup) {
    const int count = cleanupCount.load(std::memory_order_relaxed);
    int at = count - 1;
    while (at >= 0 && cleanups[at].load(std::memory_order_relaxed) != cleanup) --at;
    if (at < 0) return;
    for (; at + 1 < count; ++at) {
        cleanups[at].store(cleanups[at + 1].load(std::memory_order_relaxed),
                           std::memory_order_release);
    }
    cleanupCount.store(count - 1, std::memory_order_release);
}

// Nothing can be told of a routine that cannot be installed: the interrupts then end the utility,
// as the default handler ends any program on them.
void sys::leaveInterruptsToOthers(bool leave) {
    interrupted.store(false, std::memory_order_release);
    interruptsLeft.store(leave, std::memory_order_release);
    installRoutine();
}

bool sys::interruptedMeanwhile() {
    return interrupted.load(std::memory_order_acquire);
}

// A console program ended by Ctrl+C has its own exit code, which we pass on.
void sys::endAsTheProgramDid(int) {}
