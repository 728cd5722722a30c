// Windows: Ctrl+C and Ctrl+Break in the console. The console calls the handler on a thread of
// its own, which only raises the flag and wakes a wait. Closing the console is left to Windows,
// which ends the process when the handlers return. A process started with Ctrl+C ignored
// (CREATE_NEW_PROCESS_GROUP, or SetConsoleCtrlHandler(nullptr, TRUE) inherited) keeps ignoring it.
#include "Interrupt.h"

#include <atomic>

#include <windows.h>

namespace {

std::atomic<bool> raised{false};

// Set while the flag is raised. It lives as long as the process: a handler that is still running
// on its thread when the watch ends may set it after that.
HANDLE WakeEvent()
{
    static const HANDLE wake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return wake;
}

BOOL WINAPI RaiseFlag(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    raised = true;
    ::SetEvent(WakeEvent());
    return TRUE;
}

} // namespace

InterruptWatch::InterruptWatch()
{
    raised = false;
    ::ResetEvent(WakeEvent());
    ::SetConsoleCtrlHandler(RaiseFlag, TRUE);
}

InterruptWatch::~InterruptWatch()
{
    ::SetConsoleCtrlHandler(RaiseFlag, FALSE);
}

bool InterruptWatch::Raised()
{
    return raised;
}

void InterruptWatch::Wait(std::chrono::milliseconds time)
{
    if (Raised())
        return;
    if (::WaitForSingleObject(WakeEvent(), DWORD(time.count())) == WAIT_FAILED)
        ::Sleep(DWORD(time.count()));
}
