// A 16550-compatible UART driven through its eight registers, polled (no interrupts). The card
// drives the bus transmitter with RTS: on while our bytes go out, off to listen.
#pragma once

#include "ByteLink.h"

#include <cstdint>
#include <memory>

namespace driverlib {

// The register file of the UART at its base address. Port I/O on the real card; tests put a
// simulated register file behind it.
class UartRegisters {
public:
    virtual ~UartRegisters() = default;
    virtual uint8_t Read(uint8_t offset) = 0;
    virtual void Write(uint8_t offset, uint8_t value) = 0;
};

namespace uart {
inline constexpr uint8_t Data = 0;         // RBR / THR; DLL with DLAB
inline constexpr uint8_t InterruptEnable = 1;  // DLM with DLAB
inline constexpr uint8_t FifoControl = 2;
inline constexpr uint8_t LineControl = 3;
inline constexpr uint8_t ModemControl = 4;
inline constexpr uint8_t LineStatus = 5;
inline constexpr uint8_t Scratch = 7;

inline constexpr uint8_t LineControlDlab = 0x80;
inline constexpr uint8_t LineControl8N1 = 0x03;
inline constexpr uint8_t FifoEnableAndClear = 0x07;
inline constexpr uint8_t ModemDtr = 0x01;
inline constexpr uint8_t ModemRts = 0x02;
inline constexpr uint8_t ModemOut2 = 0x08;
inline constexpr uint8_t StatusDataReady = 0x01;
inline constexpr uint8_t StatusTransmitEmpty = 0x20;   // THRE: room for a byte
inline constexpr uint8_t StatusTransmitterIdle = 0x40;  // TEMT: the last bit has left

inline constexpr uint32_t ClockBaud = 115200;  // 1.8432 MHz crystal / 16
}  // namespace uart

// True when a UART answers at the registers: its scratch register keeps what is written.
bool DetectUart(UartRegisters& registers);

class UartLink final : public ByteLink {
public:
    // Sets the UART up for 9600 Bd, 8N1, FIFOs on, interrupts off.
    explicit UartLink(std::unique_ptr<UartRegisters> registers);
    ~UartLink() override;

    int32_t SetSpeed(uint32_t baud) override;
    void DiscardInput() override;
    int32_t Write(std::span<const uint8_t> bytes) override;
    int32_t Read(std::vector<uint8_t>& into, Clock::time_point until) override;

private:
    bool WaitForStatus(uint8_t bits, Clock::time_point until);
    void DrainReceiver(std::vector<uint8_t>* into);

    std::unique_ptr<UartRegisters> registers_;
    uint32_t baud_ = 9600;
};

} // namespace driverlib
