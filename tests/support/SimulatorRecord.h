// A program record for the LAN converter at a simulated module on 127.0.0.1.
#pragma once

#include "core/Records.h"

#include <QString>

// Where a reply is expected, the default time-out leaves a busy machine room to reply; an
// address where nothing answers costs two of them, so tests that expect silence pass a short one.
inline TData SimulatorRecord(uint16_t udpPort, uint8_t address, int32_t udpTimeout = 2000)
{
    TData data;
    InitData(data);
    data.InterfaceType = InterfaceLan;
    data.IpAddress = QStringLiteral("127.0.0.1");
    data.UdpPort = udpPort;
    data.UdpTimeout = udpTimeout;
    data.ModuleAddress = address;
    return data;
}
