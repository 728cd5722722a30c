#include "SpeedTables.h"

#include <array>

namespace {

struct BusSpeed {
    uint32_t baud;
    int32_t timeout;
};

constexpr std::array<BusSpeed, BusSpeedCount> BusSpeeds = {{
    {600, 1000},
    {1200, 1000},
    {2400, 500},
    {4800, 300},
    {9600, 200},
    {19200, 200},
    {38400, 200},
    {57600, 200},
    {115200, 200},
}};

const BusSpeed& SpeedAt(uint8_t index)
{
    return index < BusSpeeds.size() ? BusSpeeds[index] : BusSpeeds[DefaultSpeedIndex];
}

} // namespace

uint32_t BaudFromIndex(uint8_t index)
{
    return SpeedAt(index).baud;
}

int32_t TimeoutFromIndex(uint8_t index)
{
    return SpeedAt(index).timeout;
}

uint8_t IndexFromBaud(uint32_t baud)
{
    for (uint8_t i = 0; i < BusSpeeds.size(); ++i) {
        if (BusSpeeds[i].baud == baud)
            return i;
    }
    return DefaultSpeedIndex;
}
