#include "DriverEntries.h"

#include "HandleTable.h"

#include <exception>

namespace driverlib {

namespace {

// No exception may leave an entry: the caller is C.
template <typename Body>
int32_t Guarded(Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return InternalError;
    }
}

} // namespace

int32_t OpenConnection(uint32_t* handle, const ChannelOpener& open)
{
    return Guarded([&] {
        if (!handle)
            return int32_t(InvalidParameter);
        std::unique_ptr<BusChannel> channel;
        std::chrono::milliseconds networkTimeout{};
        if (const int32_t code = open(channel, networkTimeout); code != Ok)
            return code;
        const uint32_t opened =
            Sessions().Add(std::make_unique<DriverSession>(std::move(channel), networkTimeout));
        if (opened == 0)
            return int32_t(TooManyConnections);
        *handle = opened;
        return int32_t(Ok);
    });
}

int32_t SetConfigEntry(uint32_t handle, int32_t baud, int32_t timeout, int32_t option)
{
    return Guarded([&] {
        const auto session = Sessions().Find(handle);
        return session ? session->Configure(baud, timeout, option) : int32_t(InvalidHandle);
    });
}

int32_t GetConfigEntry(uint32_t handle, int32_t* baud, int32_t* timeout, int32_t* option)
{
    return Guarded([&] {
        if (!baud || !timeout || !option)
            return int32_t(InvalidParameter);
        const auto session = Sessions().Find(handle);
        if (!session)
            return int32_t(InvalidHandle);
        return session->Settings(*baud, *timeout, *option);
    });
}

int32_t SendEntry(uint32_t handle, const int32_t* request, int32_t* response, int32_t* extra,
                  int32_t* status)
{
    return Guarded([&] {
        const auto session = Sessions().Find(handle);
        if (!session) {
            if (status)
                *status = InvalidHandle;
            return int32_t(InvalidHandle);
        }
        return session->Send(request, response, extra, status);
    });
}

int32_t DoneEntry(uint32_t* handle)
{
    return Guarded([&] {
        if (!handle)
            return int32_t(InvalidParameter);
        const auto session = Sessions().Remove(*handle);
        *handle = 0;
        return session ? int32_t(Ok) : int32_t(InvalidHandle);
    });
}

int32_t ErrorEntry(int32_t code, int32_t* text)
{
    return Guarded([&] {
        if (!text)
            return int32_t(InvalidParameter);
        WriteCodeText(code, text);
        return int32_t(Ok);
    });
}

} // namespace driverlib
