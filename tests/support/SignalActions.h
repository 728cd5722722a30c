// The check that a catcher of signals leaves what it found: for each signal, found ignored or
// with a handler of its own, an ignored one stays ignored while a Catcher lives and the other
// is caught; once the Catcher is gone, each has what it had before.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <initializer_list>

inline void FoundHandler(int) {}

inline void (*HandlerOf(int signal))(int)
{
    struct sigaction action {};
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

template <class Catcher>
void ExpectIgnoredSignalsLeftAndFormerActionsBack(std::initializer_list<int> signals)
{
    for (const int signal : signals) {
        for (void (*found)(int) : {SIG_IGN, &FoundHandler}) {
            struct sigaction set {}, old {};
            set.sa_handler = found;
            ::sigaction(signal, &set, &old);
            {
                const Catcher catcher;
                EXPECT_EQ(HandlerOf(signal) == found, found == SIG_IGN) << "signal " << signal << " while caught";
            }
            EXPECT_EQ(HandlerOf(signal), found) << "signal " << signal << " not given its former action back";
            ::sigaction(signal, &old, nullptr);
        }
    }
}
