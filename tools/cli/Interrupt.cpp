#include "Interrupt.h"

#include "core/SignalCatch.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <optional>

namespace {

volatile std::sig_atomic_t raised = 0;

constexpr std::array<int, 2> WatchedSignals = {SIGINT, SIGTERM};
std::optional<SignalCatch> watched;

extern "C" void RaiseFlag(int)
{
    raised = 1;
}

} // namespace

InterruptWatch::InterruptWatch()
{
    raised = 0;
    watched.emplace(WatchedSignals, RaiseFlag, SA_RESTART);
}

InterruptWatch::~InterruptWatch()
{
    watched.reset();
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
