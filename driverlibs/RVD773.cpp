// RVD773: the LAN converter over UDP. The block gives the IP address text, the UDP port and
// the network time-out in milliseconds, which each attempt waits on top of SetConfig's.
#include "DriverEntries.h"
#include "UdpChannel.h"

#include <cstring>
#include <string>

namespace {

constexpr intptr_t LongestUdpTimeoutMs = 65535;
constexpr size_t LongestAddressText = 255;

int32_t ReadBlock(const intptr_t* config, std::string& address, int32_t& port,
                  std::chrono::milliseconds& timeout)
{
    if (!config)
        return driverlib::InvalidParameter;
    const char* text = reinterpret_cast<const char*>(config[0]);
    if (!text)
        return driverlib::InvalidIpAddress;
    address.assign(text, strnlen(text, LongestAddressText + 1));
    if (address.empty() || address.size() > LongestAddressText)
        return driverlib::InvalidIpAddress;
    if (config[1] < 1 || config[1] > 65535)
        return driverlib::InvalidUdpPort;
    if (config[2] < 0 || config[2] > LongestUdpTimeoutMs)
        return driverlib::InvalidUdpTimeout;
    port = int32_t(config[1]);
    timeout = std::chrono::milliseconds(config[2]);
    return driverlib::Ok;
}

} // namespace

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVD773, Init)(uint32_t* handle, const intptr_t* config)
{
    return driverlib::OpenConnection(handle, [config](auto& channel, auto& networkTimeout) {
        std::string address;
        int32_t port = 0;
        if (const int32_t code = ReadBlock(config, address, port, networkTimeout); code != 0)
            return code;
        std::unique_ptr<driverlib::UdpChannel> udp;
        if (const int32_t code = driverlib::UdpChannel::Open(address, port, udp); code != 0)
            return code;
        channel = std::move(udp);
        return int32_t(driverlib::Ok);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVD773)
