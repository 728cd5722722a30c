#include "SerialDeviceWindows.h"

#include "DeviceNames.h"
#include "DriverCodes.h"
#include "ComPortsWindows.h"
#include "WideTextWindows.h"

#include <windows.h>

#include <algorithm>

namespace driverlib {

namespace {

constexpr DWORD WriteTimeoutConstantMs = 2000;

HANDLE Port(void* handle)
{
    return static_cast<HANDLE>(handle);
}

// 8N1 at 9600 Bd, no flow control of either kind, DTR and RTS on as Linux leaves them on open
// (a module may draw its power from them), NUL bytes kept, line errors abort nothing.
int32_t SetUpLine(HANDLE port)
{
    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(port, &line))
        return PortCannotOpen;  // not a serial port
    line.BaudRate = CBR_9600;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = FALSE;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fDsrSensitivity = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fErrorChar = FALSE;
    line.fNull = FALSE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    line.fAbortOnError = FALSE;
    return SetCommState(port, &line) ? int32_t(Ok) : int32_t(PortSetupFailed);
}

bool ClearLineError(HANDLE port)
{
    DWORD errors = 0;
    return ClearCommError(port, &errors, nullptr) != 0;
}

} // namespace

int32_t CodeOfComPortError(uint32_t error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return PortNotFound;
    // Windows opens a COM port for one handle at a time: denied access is another holder.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return PortBusy;
    default:
        return PortCannotOpen;
    }
}

uint32_t ReadTimeoutMs(Clock::duration left)
{
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return uint32_t(std::clamp<long long>(milliseconds, 1, MAXDWORD));
}

uint32_t WriteTimeoutMsPerByte(uint32_t baud)
{
    // Ten bits a byte at 8N1, twice over; 1 ms at the least.
    constexpr uint32_t TwiceTenBitsInMs = 2 * 10 * 1000;
    return std::max<uint32_t>(1, (TwiceTenBitsInMs + baud - 1) / std::max<uint32_t>(baud, 1));
}

ComPortDevice::ComPortDevice(void* handle, std::chrono::microseconds receiveLatency)
    : handle_(handle), receiveLatency_(receiveLatency)
{
}

ComPortDevice::~ComPortDevice()
{
    CloseHandle(Port(handle_));
}

int32_t ComPortDevice::Open(const std::string& path, std::unique_ptr<ComPortDevice>& device)
{
    const HANDLE port = CreateFileW(WideOf(ComPortDevicePath(path)).c_str(),
                                    GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    if (port == INVALID_HANDLE_VALUE)
        return CodeOfComPortError(GetLastError());
    std::unique_ptr<ComPortDevice> opened(new ComPortDevice(port, {}));
    if (const int32_t code = SetUpLine(port); code != Ok)
        return code;
    if (!opened->SetTimeouts(1))
        return PortSetupFailed;
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    opened->receiveLatency_ = LatencyTimerOfPort(ComPortNameOfPath(path));
    device = std::move(opened);
    return Ok;
}

// A read of one byte returns as soon as the byte is there or when readMs have passed (no
// interval time-out, only the total one); the bytes behind it are read as ClearCommError counts
// them, which returns at once.
bool ComPortDevice::SetTimeouts(uint32_t readMs)
{
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = readMs;
    timeouts.WriteTotalTimeoutMultiplier = WriteTimeoutMsPerByte(baud_);
    timeouts.WriteTotalTimeoutConstant = WriteTimeoutConstantMs;
    return SetCommTimeouts(Port(handle_), &timeouts) != 0;
}

bool ComPortDevice::ReadArrived(std::vector<uint8_t>& into)
{
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(Port(handle_), &errors, &status))
        return false;
    if (status.cbInQue == 0)
        return true;
    const size_t before = into.size();
    into.resize(before + status.cbInQue);
    DWORD got = 0;
    const BOOL read = ReadFile(Port(handle_), into.data() + before, status.cbInQue, &got, nullptr);
    into.resize(before + got);
    return read != 0;
}

int32_t ComPortDevice::SetSpeed(uint32_t baud)
{
    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(Port(handle_), &line))
        return PortSetupFailed;
    line.BaudRate = baud;
    if (!SetCommState(Port(handle_), &line))
        return GetLastError() == ERROR_INVALID_PARAMETER ? PortSpeedUnsupported : PortSetupFailed;
    baud_ = baud;
    return SetTimeouts(1) ? int32_t(Ok) : int32_t(PortSetupFailed);
}

void ComPortDevice::DiscardInput()
{
    PurgeComm(Port(handle_), PURGE_RXCLEAR);
}

int32_t ComPortDevice::Write(std::span<const uint8_t> bytes)
{
    DWORD written = 0;
    if (!WriteFile(Port(handle_), bytes.data(), DWORD(bytes.size()), &written, nullptr)
        || written != bytes.size()) {
        ClearLineError(Port(handle_));
        return PortWriteFailed;
    }
    // The reply time-out counts from the end of the request on the line. As on Linux, a port
    // that cannot tell when its bytes have left is used all the same.
    FlushFileBuffers(Port(handle_));
    return Ok;
}

// The first byte is waited for on its own: ReadIntervalTimeout and ReadTotalTimeoutMultiplier
// both MAXDWORD would do it in one read on Windows, but Wine waits out the whole time-out then.
int32_t ComPortDevice::Read(std::vector<uint8_t>& into, Clock::time_point until)
{
    for (;;) {
        const Clock::duration left = until - Clock::now();
        if (left <= Clock::duration::zero())
            return Ok;
        if (!SetTimeouts(ReadTimeoutMs(left)))
            return PortReadFailed;
        uint8_t first = 0;
        DWORD got = 0;
        if (!ReadFile(Port(handle_), &first, 1, &got, nullptr)) {
            // An aborted read is tried again once the error state is cleared; any other
            // failure is the port's (an unplugged adapter).
            const DWORD error = GetLastError();
            if (error != ERROR_OPERATION_ABORTED || !ClearLineError(Port(handle_)))
                return PortReadFailed;
            continue;
        }
        if (got == 1) {
            into.push_back(first);
            return ReadArrived(into) ? int32_t(Ok) : int32_t(PortReadFailed);
        }
    }
}

} // namespace driverlib
