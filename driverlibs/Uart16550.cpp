#include "Uart16550.h"

#include "DriverCodes.h"
#include "ModuleFrame.h"

#include <thread>

namespace driverlib {

namespace {

constexpr int LargestFifo = 64;
constexpr std::chrono::milliseconds TransmitSlack{100};

} // namespace

bool DetectUart(UartRegisters& registers)
{
    const uint8_t kept = registers.Read(uart::Scratch);
    bool present = true;
    for (const uint8_t pattern : {uint8_t(0x55), uint8_t(0xAA)}) {
        registers.Write(uart::Scratch, pattern);
        present = present && registers.Read(uart::Scratch) == pattern;
    }
    registers.Write(uart::Scratch, kept);
    return present;
}

UartLink::UartLink(std::unique_ptr<UartRegisters> registers) : registers_(std::move(registers))
{
    registers_->Write(uart::InterruptEnable, 0);
    SetSpeed(baud_);
    registers_->Write(uart::FifoControl, uart::FifoEnableAndClear);
    registers_->Write(uart::ModemControl, uart::ModemDtr | uart::ModemOut2);
}

UartLink::~UartLink()
{
    registers_->Write(uart::ModemControl, 0);
}

int32_t UartLink::SetSpeed(uint32_t baud)
{
    if (baud == 0 || baud > uart::ClockBaud || uart::ClockBaud % baud != 0)
        return PortSpeedUnsupported;
    const uint32_t divisor = uart::ClockBaud / baud;
    registers_->Write(uart::LineControl, uart::LineControlDlab);
    registers_->Write(uart::Data, uint8_t(divisor & 0xFF));
    registers_->Write(uart::InterruptEnable, uint8_t(divisor >> 8));
    registers_->Write(uart::LineControl, uart::LineControl8N1);
    baud_ = baud;
    return Ok;
}

void UartLink::DrainReceiver(std::vector<uint8_t>* into)
{
    // Bounded: a card that always claims data must not hold us forever.
    for (int i = 0; i < LargestFifo; ++i) {
        if ((registers_->Read(uart::LineStatus) & uart::StatusDataReady) == 0)
            return;
        const uint8_t byte = registers_->Read(uart::Data);
        if (into)
            into->push_back(byte);
    }
}

void UartLink::DiscardInput()
{
    registers_->Write(uart::FifoControl, uart::FifoEnableAndClear);
    DrainReceiver(nullptr);
}

bool UartLink::WaitForStatus(uint8_t bits, Clock::time_point until)
{
    const std::chrono::microseconds pause{busframe::CharacterTimeUs(baud_) / 4};
    for (;;) {
        if ((registers_->Read(uart::LineStatus) & bits) == bits)
            return true;
        if (Clock::now() >= until)
            return false;
        std::this_thread::sleep_for(pause);
    }
}

int32_t UartLink::Write(std::span<const uint8_t> bytes)
{
    const auto limit = Clock::now() + std::chrono::microseconds(busframe::WireTimeUs(bytes.size(), baud_))
        + TransmitSlack;
    const uint8_t listening = uart::ModemDtr | uart::ModemOut2;
    registers_->Write(uart::ModemControl, listening | uart::ModemRts);
    bool sent = true;
    for (const uint8_t byte : bytes) {
        sent = WaitForStatus(uart::StatusTransmitEmpty, limit);
        if (!sent)
            break;
        registers_->Write(uart::Data, byte);
    }
    // The transmitter stays on until the last stop bit has left, then the bus is released.
    sent = sent && WaitForStatus(uart::StatusTransmitterIdle, limit);
    registers_->Write(uart::ModemControl, listening);
    return sent ? int32_t(Ok) : int32_t(PortWriteFailed);
}

int32_t UartLink::Read(std::vector<uint8_t>& into, Clock::time_point until)
{
    if (WaitForStatus(uart::StatusDataReady, until))
        DrainReceiver(&into);
    return Ok;
}

} // namespace driverlib
