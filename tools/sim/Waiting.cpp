#include "Waiting.h"

#include <cerrno>
#include <poll.h>

namespace sim {

Wake WaitFor(int descriptor, int stopDescriptor, std::optional<Clock::time_point> until)
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
        pollfd entries[2] = {{stopDescriptor, POLLIN, 0}, {descriptor, POLLIN, 0}};
        const nfds_t count = descriptor >= 0 ? 2 : 1;
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
