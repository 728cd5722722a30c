// Ctrl+C (and SIGTERM) during the commands that repeat until stopped: the signal only raises a
// flag, so that the command finishes its transaction, closes the driver and ends in order. A
// signal ignored when the watch begins stays ignored (a shell's background job ignores
// SIGINT); each gets back its former action when the watch ends.
#pragma once

#include "core/SignalCatch.h"

#include <chrono>
#include <optional>

class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    static bool Raised();
    // Waits for the time, or less when the flag is raised meanwhile.
    static void Wait(std::chrono::milliseconds time);

private:
    std::optional<SignalCatch> signals_;
};
