#include "core/Records.h"

#include <gtest/gtest.h>

TEST(Records, DefaultModelConfigHoldsTheModuleDefaults)
{
    const TZEMO config = DefaultModelConfig();
    EXPECT_EQ(config.TxMode, 0);
    EXPECT_EQ(config.RxMode, 0);
    EXPECT_EQ(config.BaudIndex, 4);
    EXPECT_EQ(config.ParityIndex, 1);
    EXPECT_EQ(config.DataBitsIndex, 3);
    EXPECT_EQ(config.StopBitsIndex, 0);
    EXPECT_EQ(config.CustomBaud, 9600u);
    EXPECT_EQ(config.OverhangUs, 200u);
    EXPECT_EQ(config.Note, QStringLiteral("www.serkon.example"));
}

TEST(Records, InitDataFillsAFreshRecordWithTheDefaults)
{
    TData data;
    data.DriverConfig.fill(7);
    data.ModuleName = QStringLiteral("kept");
    InitData(data);

    EXPECT_EQ(data.InterfaceType, 0);
    EXPECT_EQ(data.ModuleAddress, 0);
    EXPECT_EQ(data.Speed, 9600u);
    EXPECT_EQ(data.BaseAddress, 768);
    EXPECT_EQ(data.ComPort, 1);
    EXPECT_EQ(data.IpAddress, QStringLiteral("192.168.1.100"));
    EXPECT_EQ(data.UdpPort, 5000);
    EXPECT_EQ(data.UdpTimeout, 100);
    EXPECT_EQ(data.StatusText, QStringLiteral("Připojení modulu dosud neinicializováno"));
    EXPECT_EQ(data.DriverHandle, 0u);
    EXPECT_EQ(data.Connected, 0);
    EXPECT_FALSE(ConnectionReady(data));
    for (intptr_t element : data.DriverConfig)
        EXPECT_EQ(element, 0);
    for (const TZEMO& slot : data.ModelConfigs)
        EXPECT_EQ(slot, DefaultModelConfig());
    EXPECT_EQ(data.ModuleName, QStringLiteral("kept"));
}

TEST(Records, DriverConfigElementsHoldAnAddress)
{
    TData data;
    InitData(data);
    const QByteArray text = data.IpAddress.toLatin1();
    data.DriverConfig[0] = reinterpret_cast<intptr_t>(text.constData());
    EXPECT_EQ(reinterpret_cast<const char*>(data.DriverConfig[0]), text.constData());
}

TEST(Records, ConnectionIsReadyOnlyWithFlagAndHandle)
{
    TData data;
    InitData(data);
    data.Connected = 1;
    EXPECT_FALSE(ConnectionReady(data));
    data.DriverHandle = 5;
    EXPECT_TRUE(ConnectionReady(data));
    data.Connected = 0;
    EXPECT_FALSE(ConnectionReady(data));
}
