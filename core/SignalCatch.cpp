#include "SignalCatch.h"

namespace {

bool IsIgnored(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_IGN;
}

} // namespace

SignalCatch::SignalCatch(std::span<const int> which, void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    for (const int signal : which) {
        Previous before{signal, {}};
        if (::sigaction(signal, nullptr, &before.action) == 0 && !IsIgnored(before.action)
            && ::sigaction(signal, &action, nullptr) == 0)
            caught_.push_back(before);
    }
}

SignalCatch::~SignalCatch()
{
    for (const Previous& before : caught_)
        ::sigaction(before.signal, &before.action, nullptr);
}
