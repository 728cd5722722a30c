#include "Waiting.h"

#include <cerrno>
#include <poll.h>

namespace sim {

Wake WaitFor(NativeHandle readable, NativeHandle stop, std::optional<Clock::time_point> until)
{
    for (;;) {
        timespec limit{};
        timespec* limitPointer = nullptr;
        if (until) {
            const auto left = *until - Clock::now();
            if (left <= Clock::duration::zero())
                return Wake::TimeUp;
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            limit = timespec{time_t(ns / 1000000000), long(ns % 1000000000)};
            limitPointer = &limit;
        }
        // poll passes over an entry of -1.
        pollfd entries[2] = {{stop, POLLIN, 0}, {readable, POLLIN, 0}};
        const nfds_t count = readable >= 0 ? 2 : 1;
        const int ready = ppoll(entries, count, limitPointer, nullptr);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || entries[0].revents != 0)
            return Wake::Stopped;
        if (ready == 0)
            return Wake::TimeUp;
        return Wake::Readable;
    }
}

} // namespace sim
