#include "ControlLoop.h"
#include "ControlLines.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace sim {

namespace {

// The console's requests to stop, from its control handler to the loop. The event resets as
// the loop wakes on it: each request ends one loop, as a signal read from Linux's signalfd.
struct ConsoleStop {
    HANDLE requested = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> signal{SIGTERM};
};

ConsoleStop& Stop()
{
    static ConsoleStop stop;
    return stop;
}

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    ConsoleStop& stop = Stop();
    stop.signal = event == CTRL_C_EVENT ? SIGINT : event == CTRL_BREAK_EVENT ? SIGBREAK : SIGTERM;
    SetEvent(stop.requested);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // A close, logoff or shutdown ends the process as soon as the handler returns: wait here
    // while the program ends by itself (its end ends this thread), up to the time the system
    // allows.
    Sleep(INFINITE);
    return TRUE;
}

// What the reading thread hands over to the loop's thread.
struct Arrivals {
    HANDLE arrived = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // set for each hand-over
    std::mutex mutex;
    std::string bytes;
    bool ended = false;

    ~Arrivals() { CloseHandle(arrived); }
};

// Reads standard input until it ends. A pipe or the console cannot be waited for together with
// an event, so a thread of its own reads it; it only moves bytes, the lines are answered on the
// loop's thread. A read still blocked when the loop ends is left to the end of the process:
// the thread holds nothing but its own copy of the handle and the hand-over.
void ReadUntilTheEnd(HANDLE input, std::shared_ptr<Arrivals> arrivals)
{
    // A pipe delivers an empty write as a read of 0 bytes; its end is the writer closing it.
    const bool pipe = GetFileType(input) == FILE_TYPE_PIPE;
    for (bool more = true; more;) {
        char chunk[256];
        DWORD got = 0;
        const bool read = ReadFile(input, chunk, sizeof chunk, &got, nullptr) != 0;
        // The console aborts a read when Ctrl+C is pressed; the stop request follows on its own.
        if ((read && got == 0 && pipe) || (!read && GetLastError() == ERROR_OPERATION_ABORTED))
            continue;
        more = read && got > 0;
        {
            std::lock_guard lock(arrivals->mutex);
            arrivals->bytes.append(chunk, got);
            arrivals->ended = !more;
        }
        SetEvent(arrivals->arrived);
    }
    CloseHandle(input);
}

// The event that says bytes have arrived; null when the input cannot be read at all.
HANDLE StartReading(HANDLE input, const std::shared_ptr<Arrivals>& arrivals)
{
    HANDLE own = nullptr;
    if (input == NoHandle
        || !DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &own, 0, FALSE,
                            DUPLICATE_SAME_ACCESS))
        return nullptr;
    std::thread(ReadUntilTheEnd, own, arrivals).detach();
    return arrivals->arrived;
}

} // namespace

bool KeepStandardDescriptors()
{
    return StandardInput() != NoHandle;
}

NativeHandle StandardInput()
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    return input == INVALID_HANDLE_VALUE ? NoHandle : input;
}

bool IsInteractive(NativeHandle input)
{
    DWORD mode = 0;
    return GetConsoleMode(input, &mode) != 0;
}

void HoldStopRequests()
{
    // A program started with Ctrl+C ignored (as Windows starts a new process group) keeps it
    // so, as serkon-sim on Linux keeps an ignored SIGINT; Ctrl+Break and the rest still come.
    Stop();
    static const bool held = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
    (void)held;
}

int RunControlLoop(NativeHandle input, std::FILE* output, ControlTarget& target)
{
    ConsoleStop& stop = Stop();
    ControlLines lines(output, target);
    const auto arrivals = std::make_shared<Arrivals>();
    const HANDLE arrived = StartReading(input, arrivals);
    bool reading = arrived != nullptr;
    for (;;) {
        const HANDLE handles[2] = {stop.requested, arrived};
        const DWORD woke = WaitForMultipleObjects(reading ? 2 : 1, handles, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1)
            return woke == WAIT_OBJECT_0 ? stop.signal.load() : SIGTERM;
        std::string bytes;
        bool ended = false;
        {
            std::lock_guard lock(arrivals->mutex);
            bytes.swap(arrivals->bytes);
            ended = arrivals->ended;
        }
        if (!lines.Take(bytes.data(), bytes.size()) || (ended && !lines.Finish()))
            return 0;
        reading = !ended;
    }
}

} // namespace sim
