// Opening a serial device as the channel of a new connection.
#pragma once

#include "BusChannel.h"

#include <chrono>
#include <memory>
#include <string>

namespace driverlib {

int32_t OpenSerialChannel(const std::string& path, std::unique_ptr<BusChannel>& channel);

} // namespace driverlib
