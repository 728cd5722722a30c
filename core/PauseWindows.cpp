#include "Pause.h"

#include <windows.h>

#include <timeapi.h>

namespace {

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION (Windows 10 1803 on), which the mingw headers lack.
constexpr DWORD HighResolution = 0x00000002;

} // namespace

void PauseBriefly(std::chrono::milliseconds time)
{
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, HighResolution, TIMER_ALL_ACCESS);
    if (!timer) {
        // Older systems: finer ticks for the length of the pause.
        timeBeginPeriod(1);
        Sleep(DWORD(time.count()));
        timeEndPeriod(1);
        return;
    }
    LARGE_INTEGER due{};
    due.QuadPart = -LONGLONG(std::chrono::duration_cast<std::chrono::nanoseconds>(time).count() / 100);
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE))
        WaitForSingleObject(timer, INFINITE);
    CloseHandle(timer);
}
