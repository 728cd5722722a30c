#include "ProbeTiming.h"

#include "ModuleFrame.h"

std::chrono::microseconds WireProbeTime(uint32_t baud)
{
    return std::chrono::microseconds(busframe::WireTimeUs(busframe::RequestSize, baud)
                                     + busframe::SilenceGapUs(baud)
                                     + busframe::CharacterTimeUs(baud));
}

int32_t ProbeTimeoutMs(uint32_t baud, bool wholeReply, std::chrono::milliseconds margin)
{
    std::chrono::microseconds wait = WireProbeTime(baud) + margin;
    if (wholeReply)
        wait += std::chrono::microseconds(busframe::WireTimeUs(busframe::ReplySize - 1, baud));
    return int32_t(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}
