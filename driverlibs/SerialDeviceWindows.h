// A COM port as a byte link, through the Win32 communications API: opened by its device path,
// 8N1 without flow control, DTR and RTS on; a read returns as soon as bytes are there or when
// its time has come, a write once the bytes have left.
#pragma once

#include "ByteLink.h"

#include <cstdint>
#include <memory>
#include <string>

namespace driverlib {

class ComPortDevice final : public ByteLink {
public:
    ~ComPortDevice() override;

    // Opens the port (COM3 or \\.\COM3, in UTF-8) at 9600 Bd, 8N1, no flow control.
    static int32_t Open(const std::string& path, std::unique_ptr<ComPortDevice>& device);

    int32_t SetSpeed(uint32_t baud) override;
    void DiscardInput() override;
    int32_t Write(std::span<const uint8_t> bytes) override;
    int32_t Read(std::vector<uint8_t>& into, Clock::time_point until) override;
    std::chrono::microseconds ReceiveLatency() const override { return receiveLatency_; }

private:
    ComPortDevice(void* handle, std::chrono::microseconds receiveLatency);
    bool SetTimeouts(uint32_t readMs);
    // Appends the bytes that have arrived, without waiting; false when the port failed.
    bool ReadArrived(std::vector<uint8_t>& into);

    void* handle_;  // the port's HANDLE
    std::chrono::microseconds receiveLatency_;
    uint32_t baud_ = 9600;
};

// The code of a port that CreateFileW could not open, by GetLastError.
int32_t CodeOfComPortError(uint32_t error);

// A read's total time-out for COMMTIMEOUTS: the time left in whole milliseconds, rounded up,
// at least 1 (0 would mean no time-out at all: a read that waits for ever).
uint32_t ReadTimeoutMs(Clock::duration left);

// The time a write may take at the speed before it counts as failed, in milliseconds per byte
// on top of a constant: the bytes' own time on the line, with room.
uint32_t WriteTimeoutMsPerByte(uint32_t baud);

} // namespace driverlib
