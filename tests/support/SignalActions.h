// What tests of caught signals need: a signal's handler as it stands, a handler of the test's
// own set for a while, and the check that a catcher leaves what it found.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <initializer_list>

using SignalHandler = void (*)(int);

inline SignalHandler HandlerOf(int signal)
{
    struct sigaction action {};
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

// A handler that stands for one the program found set and must give back.
inline void FoundHandler(int) {}

// Sets the signal's handler for the life of the object.
class ScopedHandler {
public:
    ScopedHandler(int signal, SignalHandler handler) : signal_(signal)
    {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, &old_);
    }
    ~ScopedHandler() { ::sigaction(signal_, &old_, nullptr); }
    ScopedHandler(const ScopedHandler&) = delete;
    ScopedHandler& operator=(const ScopedHandler&) = delete;

private:
    int signal_;
    struct sigaction old_ {};
};

// For each signal, found ignored or with a handler of its own: while a Catcher lives, an ignored
// signal stays ignored and the other is caught; once it is gone, each has what it had before.
template <class Catcher>
void ExpectIgnoredSignalsLeftAndFormerActionsBack(std::initializer_list<int> signals)
{
    for (const int signal : signals) {
        for (const SignalHandler found : {SIG_IGN, &FoundHandler}) {
            const ScopedHandler before(signal, found);
            {
                const Catcher catcher;
                if (found == SIG_IGN)
                    EXPECT_EQ(HandlerOf(signal), SIG_IGN) << "signal " << signal << " caught though ignored";
                else
                    EXPECT_NE(HandlerOf(signal), found) << "signal " << signal << " not caught";
            }
            EXPECT_EQ(HandlerOf(signal), found) << "signal " << signal << " not given its former action back";
        }
    }
}
