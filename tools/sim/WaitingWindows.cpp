#include "Waiting.h"

#include <windows.h>

namespace sim {

namespace {

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION (Windows 10 1803 on), which the mingw headers lack.
constexpr DWORD HighResolution = 0x00000002;

// A wait's own time-out counts in the system's clock ticks, 15.6 ms unless a program asked for
// finer ones; a high-resolution timer keeps a reply's delay and wire time as precise as on
// Linux. One per thread; null where the system has none, and the time-out serves instead.
HANDLE ThreadTimer()
{
    struct Timer {
        HANDLE handle = CreateWaitableTimerExW(nullptr, nullptr, HighResolution, TIMER_ALL_ACCESS);
        ~Timer()
        {
            if (handle)
                CloseHandle(handle);
        }
    };
    thread_local const Timer timer;
    return timer.handle;
}

// Arms the thread's timer for the time left; false when there is no timer to arm.
bool ArmTimer(HANDLE timer, Clock::duration left)
{
    const auto hundreds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count() / 100;
    LARGE_INTEGER due;
    due.QuadPart = -(hundreds > 0 ? hundreds : 1);  // negative: relative to now
    return timer && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
}

} // namespace

Wake WaitFor(NativeHandle readable, NativeHandle stop, std::optional<Clock::time_point> until)
{
    HANDLE handles[3];
    DWORD count = 0;
    if (stop != NoHandle)
        handles[count++] = stop;  // first, so that a stop wins over input that came with it
    const DWORD inputs = count;
    if (readable != NoHandle)
        handles[count++] = readable;
    for (;;) {
        DWORD timeout = INFINITE;
        DWORD waiting = count;
        if (until) {
            const auto left = *until - Clock::now();
            if (left <= Clock::duration::zero())
                return Wake::TimeUp;
            const HANDLE timer = ThreadTimer();
            if (ArmTimer(timer, left))
                handles[waiting++] = timer;
            else
                timeout = DWORD(std::chrono::ceil<std::chrono::milliseconds>(left).count());
        }
        if (waiting == 0) {
            Sleep(timeout);
            continue;
        }
        const DWORD woke = WaitForMultipleObjects(waiting, handles, FALSE, timeout);
        // The time, by the timer or the time-out, is judged by the clock above: either may end
        // a little early.
        if (woke == WAIT_TIMEOUT || woke == WAIT_OBJECT_0 + count)
            continue;
        if (woke >= WAIT_OBJECT_0 + count)
            return Wake::Stopped;  // the wait failed: the server ends rather than spin
        return woke - WAIT_OBJECT_0 < inputs ? Wake::Stopped : Wake::Readable;
    }
}

} // namespace sim
