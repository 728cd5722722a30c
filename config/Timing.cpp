#include "Timing.h"

#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr std::array<uint32_t, 9> ListSpeeds = {600,   1200,  2400,  4800,  9600,
                                                19200, 38400, 57600, 115200};

constexpr float MaxDerivedTime = 32767.0f;

} // namespace

float BitTimeUs(uint8_t baudIndex, uint32_t customBaud)
{
    const uint32_t speed = baudIndex < ListSpeeds.size() ? ListSpeeds[baudIndex] : customBaud;
    if (speed == 0)
        return std::numeric_limits<float>::infinity();
    return float(1000000.0 / double(speed));
}

float CharacterTimeUs(const TZEMO& config)
{
    const int indexSum = config.DataBitsIndex + config.ParityIndex + config.StopBitsIndex;
    // Exact in double, so the cast rounds to single precision only once.
    return float((indexSum + 6.5) * double(BitTimeUs(config.BaudIndex, config.CustomBaud)));
}

float HoldTimeUs(const TZEMO& config)
{
    return float(double(config.OverhangUs)
                 + 0.5 * double(BitTimeUs(config.BaudIndex, config.CustomBaud)));
}

bool DerivedTimeInRange(float value)
{
    return value >= 0.0f && value <= MaxDerivedTime;
}

uint16_t RoundHalfToEven(float value)
{
    // The default rounding mode rounds ties to even.
    return uint16_t(std::nearbyint(value));
}
