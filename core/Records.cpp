#include "Records.h"

namespace {

const char* const DefaultNote = "www.serkon.example";
const char* const DefaultIpAddress = "192.168.1.100";
const char* const DefaultStatusText = "Připojení modulu dosud neinicializováno";

} // namespace

TZEMO DefaultModelConfig()
{
    TZEMO config;
    config.TxMode = 0;
    config.RxMode = 0;
    config.BaudIndex = 4;
    config.ParityIndex = 1;
    config.DataBitsIndex = 3;
    config.StopBitsIndex = 0;
    config.CustomBaud = 9600;
    config.OverhangUs = 200;
    config.Note = QString::fromUtf8(DefaultNote);
    return config;
}

void InitData(TData& data)
{
    data.InterfaceType = InterfaceCom;
    data.ModuleAddress = 0;
    data.Speed = 9600;
    data.BaseAddress = 0x300;
    data.ComPort = 1;

    data.IpAddress = QString::fromUtf8(DefaultIpAddress);
    data.UdpPort = 5000;
    data.UdpTimeout = 100;

    data.StatusText = QString::fromUtf8(DefaultStatusText);
    data.DriverHandle = 0;
    data.Connected = 0;

    for (TZEMO& slot : data.ModelConfigs)
        slot = DefaultModelConfig();

    data.DriverConfig.fill(0);
}
