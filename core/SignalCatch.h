// Catching signals for a while without overriding what the user chose: a signal that is
// ignored when the catch begins stays ignored (nohup ignores SIGHUP, a shell's background job
// SIGINT), and each signal caught gets back the action it had before when the catch ends.
#pragma once

#include <csignal>
#include <span>
#include <vector>

class SignalCatch {
public:
    // Catches each signal of `which` that is not ignored with the handler and sigaction's flags.
    SignalCatch(std::span<const int> which, void (*handler)(int), int flags);
    ~SignalCatch();
    SignalCatch(const SignalCatch&) = delete;
    SignalCatch& operator=(const SignalCatch&) = delete;

private:
    struct Previous {
        int signal;
        struct sigaction action;
    };
    std::vector<Previous> caught_;
};
