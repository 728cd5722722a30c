// Opening a serial device as the channel of a new connection: SerialOpen.cpp on Linux,
// SerialOpenWindows.cpp on Windows.
#pragma once

#include "BusChannel.h"

#include <chrono>
#include <memory>
#include <string>

namespace driverlib {

int32_t OpenSerialChannel(const std::string& path, std::unique_ptr<BusChannel>& channel);

// Opens the device that `locate` finds (LocateUsbConverter, LocatePciCard), or returns the
// code why it found none.
inline int32_t OpenLocatedSerialChannel(int32_t (*locate)(std::string& path),
                                        std::unique_ptr<BusChannel>& channel)
{
    std::string path;
    if (const int32_t code = locate(path); code != 0)
        return code;
    return OpenSerialChannel(path, channel);
}

} // namespace driverlib
