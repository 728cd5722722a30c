// Ctrl+C (and SIGTERM) during the commands that repeat until stopped: the signal only raises a
// flag, so that the command finishes its transaction, closes the driver and ends in order. A
// signal ignored when the watch begins stays ignored (a shell's background job ignores
// SIGINT); each gets back its former action when the watch ends. On Windows the console's
// Ctrl+C and Ctrl+Break (InterruptWindows.cpp). One watch at a time.
#pragma once

#include <chrono>

class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    static bool Raised();
    // Waits for the time, or less when the flag is raised meanwhile.
    static void Wait(std::chrono::milliseconds time);
};
