#include "Interrupt.h"

#include <cerrno>
#include <csignal>
#include <ctime>

namespace {

volatile std::sig_atomic_t raised = 0;
struct sigaction previousInt {};
struct sigaction previousTerm {};

extern "C" void RaiseFlag(int)
{
    raised = 1;
}

} // namespace

InterruptWatch::InterruptWatch()
{
    raised = 0;
    struct sigaction action {};
    action.sa_handler = RaiseFlag;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

InterruptWatch::~InterruptWatch()
{
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
}

bool InterruptWatch::Raised()
{
    return raised != 0;
}

void InterruptWatch::Wait(std::chrono::milliseconds time)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(time - seconds);
    timespec rest{time_t(seconds.count()), long(nanoseconds.count())};
    // A caught signal ends the sleep early with EINTR.
    while (!Raised() && nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}
