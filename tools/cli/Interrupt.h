// Ctrl+C (and SIGTERM) during the commands that repeat until stopped: the signal only raises a
// flag, so that the command finishes its transaction, closes the driver and ends in order.
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
