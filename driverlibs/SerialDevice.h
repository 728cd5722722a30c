// A serial device as a byte link: a COM port, a USB or PCI serial adapter, a pseudo-terminal.
// Devices that libserialport knows (real ports, found through sysfs) are opened and set up
// through it; others, such as pseudo-terminals, which libserialport refuses, through termios.
// Either way the bytes then go through the device's file descriptor. The kernel is asked to
// pass received bytes on at once (low-latency mode) where the port offers it, and the port's
// serial flags are put back as they were found when the device closes.
#pragma once

#include "ByteLink.h"

#include <memory>
#include <optional>
#include <string>

struct sp_port;

namespace driverlib {

class SerialDevice final : public ByteLink {
public:
    ~SerialDevice() override;

    // Opens the device (a symbolic link is followed) at 9600 Bd, 8N1, no flow control.
    static int32_t Open(const std::string& path, std::unique_ptr<SerialDevice>& device);

    int32_t SetSpeed(uint32_t baud) override;
    void DiscardInput() override;
    int32_t Write(std::span<const uint8_t> bytes) override;
    int32_t Read(std::vector<uint8_t>& into, Clock::time_point until) override;
    std::chrono::microseconds ReceiveLatency() const override { return receiveLatency_; }

private:
    SerialDevice(int descriptor, sp_port* port, std::chrono::microseconds receiveLatency,
                 std::optional<int> flagsFound);

    int descriptor_;
    sp_port* port_;  // null when opened through termios
    std::chrono::microseconds receiveLatency_;
    std::optional<int> flagsFound_;  // the serial flags at open; nothing where there are none
};

// The code of a failed open(2) or access to a device.
int32_t CodeOfOpenError(int error);

// Asks the kernel for low-latency mode on the open device. False where the port does not
// offer it (a pseudo-terminal) or refuses it; the device works on without it.
bool RequestLowLatency(int descriptor);

// The latency timer of a USB serial bridge (FTDI's ftdi_sio: 16 ms, 1 ms in low-latency mode)
// as sysfs under sysRoot tells it for the device, /dev/ttyUSB0 for example; nothing for a
// device without one.
std::chrono::microseconds LatencyTimer(const std::string& sysRoot, const std::string& devicePath);

} // namespace driverlib
