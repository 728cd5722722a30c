// The entries every driver library exports, and the common part of Init. A library defines
// its Init and then SERKON_DRIVER_COMMON_ENTRIES(stem) for the other six.
#pragma once

#include "DriverCodes.h"
#include "DriverContract.h"
#include "DriverSession.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace driverlib {

inline constexpr int32_t DriverVersion = 0x0100;

// Builds the channel (returns a code) and sets the network time-out where there is one, wraps
// it in a session and hands out its handle.
using ChannelOpener = std::function<int32_t(std::unique_ptr<BusChannel>& channel,
                                            std::chrono::milliseconds& networkTimeout)>;
int32_t OpenConnection(uint32_t* handle, const ChannelOpener& open);

int32_t SetConfigEntry(uint32_t handle, int32_t baud, int32_t timeout, int32_t option);
int32_t GetConfigEntry(uint32_t handle, int32_t* baud, int32_t* timeout, int32_t* option);
int32_t SendEntry(uint32_t handle, const int32_t* request, int32_t* response, int32_t* extra,
                  int32_t* status);
int32_t DoneEntry(uint32_t* handle);
int32_t ErrorEntry(int32_t code, int32_t* text);

} // namespace driverlib

#define SERKON_DRIVER_EXPORTED \
    SERKON_DRIVER_EXTERN_C SERKON_DRIVER_EXPORT int32_t SERKON_DRIVER_CALL

#define SERKON_DRIVER_COMMON_ENTRIES(stem)                                                   \
    SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(stem, Version)(void)                          \
    {                                                                                        \
        return driverlib::DriverVersion;                                                     \
    }                                                                                        \
    SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(stem, SetConfig)(uint32_t handle,             \
                                                                int32_t baud,                \
                                                                int32_t timeout,             \
                                                                int32_t option)              \
    {                                                                                        \
        return driverlib::SetConfigEntry(handle, baud, timeout, option);                     \
    }                                                                                        \
    SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(stem, GetConfig)(uint32_t handle,             \
                                                                int32_t * baud,              \
                                                                int32_t * timeout,           \
                                                                int32_t * option)            \
    {                                                                                        \
        return driverlib::GetConfigEntry(handle, baud, timeout, option);                     \
    }                                                                                        \
    SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(stem, Send)(uint32_t handle,                  \
                                                           const int32_t* request,           \
                                                           int32_t* response,                \
                                                           int32_t* extra, int32_t* status)  \
    {                                                                                        \
        return driverlib::SendEntry(handle, request, response, extra, status);               \
    }                                                                                        \
    SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(stem, Done)(uint32_t * handle)                \
    {                                                                                        \
        return driverlib::DoneEntry(handle);                                                 \
    }                                                                                        \
    SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(stem, Error)(int32_t code, int32_t * text)    \
    {                                                                                        \
        return driverlib::ErrorEntry(code, text);                                            \
    }
