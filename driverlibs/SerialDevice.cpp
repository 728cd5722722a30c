#include "SerialDevice.h"

#include "DriverCodes.h"
#include "WaitFor.h"

#include <libserialport.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace driverlib {

namespace {

constexpr std::chrono::seconds WriteLimit{2};

struct SpeedConstant {
    uint32_t baud;
    speed_t constant;
};

constexpr std::array<SpeedConstant, 19> SpeedConstants = {{
    {50, B50},         {75, B75},         {110, B110},       {150, B150},
    {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800},
    {500000, B500000}, {921600, B921600}, {1000000, B1000000},
}};

bool SpeedConstantOf(uint32_t baud, speed_t& constant)
{
    for (const SpeedConstant& entry : SpeedConstants) {
        if (entry.baud == baud) {
            constant = entry.constant;
            return true;
        }
    }
    return false;
}

int32_t SetTermiosSpeed(int descriptor, uint32_t baud)
{
    speed_t constant = B9600;
    if (!SpeedConstantOf(baud, constant))
        return PortSpeedUnsupported;
    termios settings{};
    if (tcgetattr(descriptor, &settings) != 0)
        return PortSetupFailed;
    if (cfsetispeed(&settings, constant) != 0 || cfsetospeed(&settings, constant) != 0)
        return PortSpeedUnsupported;
    return tcsetattr(descriptor, TCSANOW, &settings) == 0 ? int32_t(Ok) : int32_t(PortSetupFailed);
}

int32_t SetTermiosRaw(int descriptor)
{
    termios settings{};
    if (tcgetattr(descriptor, &settings) != 0)
        return PortSetupFailed;
    cfmakeraw(&settings);
    settings.c_cflag &= ~tcflag_t(CSTOPB | PARENB | CRTSCTS | CSIZE);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(descriptor, TCSANOW, &settings) != 0)
        return PortSetupFailed;
    return SetTermiosSpeed(descriptor, 9600);
}

int32_t CodeOfPortResult(sp_return result)
{
    if (result == SP_ERR_FAIL)
        return CodeOfOpenError(sp_last_error_code());
    return result == SP_ERR_SUPP ? PortSpeedUnsupported : PortSetupFailed;
}

int32_t SetUpThroughLibrary(sp_port* port)
{
    if (sp_set_baudrate(port, 9600) != SP_OK || sp_set_bits(port, 8) != SP_OK
        || sp_set_parity(port, SP_PARITY_NONE) != SP_OK || sp_set_stopbits(port, 1) != SP_OK
        || sp_set_flowcontrol(port, SP_FLOWCONTROL_NONE) != SP_OK)
        return PortSetupFailed;
    return Ok;
}

// Opens a device that libserialport knows; false when it does not know it.
bool OpenThroughLibrary(const std::string& path, int32_t& code, sp_port*& port, int& descriptor)
{
    if (sp_get_port_by_name(path.c_str(), &port) != SP_OK)
        return false;
    if (const sp_return opened = sp_open(port, SP_MODE_READ_WRITE); opened != SP_OK) {
        code = CodeOfPortResult(opened);
        sp_free_port(port);
        return true;
    }
    code = SetUpThroughLibrary(port);
    if (code == Ok && sp_get_port_handle(port, &descriptor) != SP_OK)
        code = PortSetupFailed;
    if (code != Ok) {
        sp_close(port);
        sp_free_port(port);
        return true;
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) | O_NONBLOCK);
    return true;
}

int32_t OpenThroughTermios(const std::string& path, int& descriptor)
{
    descriptor = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return CodeOfOpenError(errno);
    int32_t code = isatty(descriptor) ? int32_t(Ok) : int32_t(PortCannotOpen);
    if (code == Ok && ioctl(descriptor, TIOCEXCL) != 0)
        code = PortSetupFailed;
    if (code == Ok)
        code = SetTermiosRaw(descriptor);
    if (code != Ok) {
        ::close(descriptor);
        descriptor = -1;
    }
    return code;
}

bool WaitFor(int descriptor, short events, Clock::time_point until)
{
    for (;;) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero())
            return false;
        const timespec limit = TimespecOf(left);
        pollfd entry{descriptor, events, 0};
        const int ready = ppoll(&entry, 1, &limit, nullptr);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// The serial flags of the open device (ASYNC_LOW_LATENCY among them); nothing where the port
// has none (a pseudo-terminal).
std::optional<int> SerialFlags(int descriptor)
{
    serial_struct serial{};
    if (ioctl(descriptor, TIOCGSERIAL, &serial) != 0)
        return std::nullopt;
    return serial.flags;
}

// Sets them where they differ; false when the port has none or refuses.
bool SetSerialFlags(int descriptor, int flags)
{
    serial_struct serial{};
    if (ioctl(descriptor, TIOCGSERIAL, &serial) != 0)
        return false;
    if (serial.flags == flags)
        return true;
    serial.flags = flags;
    return ioctl(descriptor, TIOCSSERIAL, &serial) == 0;
}

} // namespace

bool RequestLowLatency(int descriptor)
{
    const std::optional<int> flags = SerialFlags(descriptor);
    return flags && SetSerialFlags(descriptor, *flags | int(ASYNC_LOW_LATENCY));
}

std::chrono::microseconds LatencyTimer(const std::string& sysRoot, const std::string& devicePath)
{
    const std::string name = devicePath.substr(devicePath.rfind('/') + 1);
    std::ifstream timer(sysRoot + "/class/tty/" + name + "/device/latency_timer");
    unsigned milliseconds = 0;
    if (!(timer >> milliseconds))
        return {};
    return std::chrono::milliseconds(milliseconds);
}

int32_t CodeOfOpenError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return PortNoPermission;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return PortNotFound;
    case EBUSY:
        return PortBusy;
    default:
        return PortCannotOpen;
    }
}

SerialDevice::SerialDevice(int descriptor, sp_port* port, std::chrono::microseconds receiveLatency,
                           std::optional<int> flagsFound)
    : descriptor_(descriptor), port_(port), receiveLatency_(receiveLatency), flagsFound_(flagsFound)
{
}

SerialDevice::~SerialDevice()
{
    // Low-latency mode stays with the port until someone clears it: ftdi_sio would keep its
    // 1 ms latency timer for every later program, whatever the user wrote to latency_timer.
    if (flagsFound_)
        SetSerialFlags(descriptor_, *flagsFound_);
    if (port_) {
        sp_close(port_);
        sp_free_port(port_);
    } else {
        // The exclusive mode stays with the terminal, not with this descriptor: left set, it
        // would lock out the next open while anyone else (serkon-sim) keeps the line open.
        ioctl(descriptor_, TIOCNXCL);
        ::close(descriptor_);
    }
}

int32_t SerialDevice::Open(const std::string& path, std::unique_ptr<SerialDevice>& device)
{
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
        return CodeOfOpenError(errno);

    int32_t code = Ok;
    sp_port* port = nullptr;
    int descriptor = -1;
    if (!OpenThroughLibrary(resolved, code, port, descriptor)) {
        port = nullptr;
        code = OpenThroughTermios(resolved, descriptor);
    }
    if (code != Ok)
        return code;
    std::chrono::microseconds latency = LatencyTimer("/sys", resolved);
    const std::optional<int> flagsFound = SerialFlags(descriptor);
    // In low-latency mode a bridge passes bytes on within a millisecond, whatever its timer.
    if (RequestLowLatency(descriptor))
        latency = std::min<std::chrono::microseconds>(latency, std::chrono::milliseconds(1));
    device.reset(new SerialDevice(descriptor, port, latency, flagsFound));
    return Ok;
}

int32_t SerialDevice::SetSpeed(uint32_t baud)
{
    if (port_) {
        const sp_return result = sp_set_baudrate(port_, int(baud));
        return result == SP_OK ? int32_t(Ok) : CodeOfPortResult(result);
    }
    return SetTermiosSpeed(descriptor_, baud);
}

void SerialDevice::DiscardInput()
{
    tcflush(descriptor_, TCIFLUSH);
}

int32_t SerialDevice::Write(std::span<const uint8_t> bytes)
{
    const Clock::time_point limit = Clock::now() + WriteLimit;
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written > 0) {
            bytes = bytes.subspan(size_t(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return PortWriteFailed;
        if (!WaitFor(descriptor_, POLLOUT, limit))
            return PortWriteFailed;
    }
    // The reply time-out counts from the end of the request on the line.
    tcdrain(descriptor_);
    return Ok;
}

int32_t SerialDevice::Read(std::vector<uint8_t>& into, Clock::time_point until)
{
    if (!WaitFor(descriptor_, POLLIN, until))
        return Ok;
    uint8_t chunk[256];
    const size_t before = into.size();
    for (;;) {
        const ssize_t got = ::read(descriptor_, chunk, sizeof chunk);
        if (got > 0) {
            into.insert(into.end(), chunk, chunk + got);
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return Ok;
        // Readable but nothing to read: the device went away (an unplugged adapter).
        if (got == 0 && into.size() > before)
            return Ok;
        return PortReadFailed;
    }
}

} // namespace driverlib
