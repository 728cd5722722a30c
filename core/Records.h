// The program's records: the central record of a run and the configuration of one module.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

// Configuration of one module as the program holds it.
struct TZEMO {
    uint8_t TxMode{};         // index in the model's "TX Mode (TX_En)" list; 0 = "ZEMO"
    uint8_t RxMode{};         // index in the model's "RX Mode (RX_En)" list
    uint8_t BaudIndex{};      // 0..8 = 600..115200 Bd, 9 = CustomBaud applies
    uint8_t ParityIndex{};    // 0 "ne", 1 "ano"
    uint8_t DataBitsIndex{};  // 0..3 = 5..8 data bits
    uint8_t StopBitsIndex{};  // 0 "jeden", 1 "dva"
    uint32_t CustomBaud{};    // Bd
    uint32_t OverhangUs{};    // transmit hold time after the last character, µs
    QString Note;

    friend bool operator==(const TZEMO&, const TZEMO&) = default;
};

enum InterfaceKind : uint8_t {
    InterfaceCom = 0,
    InterfaceIsa = 1,
    InterfacePci = 2,
    InterfaceUsb = 3,
    InterfaceLan = 4,
};
inline constexpr int InterfaceTypeCount = 5;

// Parameter block handed to a driver's Init. Pointer-sized elements, so that element 0
// can carry the address of the IP address text on 64-bit platforms as well.
inline constexpr int DriverConfigSize = 16;
using DriverConfigBlock = std::array<intptr_t, DriverConfigSize>;

inline constexpr int ModelSlotCount = 7;

// The central program record of a run.
struct TData {
    uint8_t InterfaceType{};
    uint8_t ModuleAddress{};
    uint32_t Speed{};          // bus speed, Bd
    uint16_t BaseAddress{};    // I/O base address of the ISA card
    uint8_t ComPort{};         // 1 is COM1
    QString IpAddress;
    int32_t UdpPort{};
    int32_t UdpTimeout{};
    QString StatusText;
    uint32_t DriverHandle{};   // 0 = no open driver connection
    uint8_t Connected{};
    QString ModuleName;
    DriverConfigBlock DriverConfig{};
    std::array<TZEMO, ModelSlotCount> ModelConfigs{};
};

// A connection is ready for module access only when both are set.
inline bool ConnectionReady(const TData& data)
{
    return data.Connected != 0 && data.DriverHandle != 0;
}

TZEMO DefaultModelConfig();
void InitData(TData& data);
