// What only Windows has: the codes of Win32 and Winsock errors, COM numbers and their device
// paths, the COMMTIMEOUTS values, and the libraries' folder under a name that is not ASCII.
#include "DriverCodes.h"
#include "PortLocator.h"
#include "PortLocatorWindows.h"
#include "SerialDeviceWindows.h"
#include "UdpSocketWindows.h"
#include "WideTextWindows.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <string>

using namespace driverlib;

TEST(WindowsDevices, OpenErrorsTellAnAbsentPortFromOneInUse)
{
    const struct {
        DWORD error;
        int32_t code;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, PortNotFound},   {ERROR_PATH_NOT_FOUND, PortNotFound},
        {ERROR_ACCESS_DENIED, PortBusy},        {ERROR_SHARING_VIOLATION, PortBusy},
        {ERROR_GEN_FAILURE, PortCannotOpen},    {ERROR_INVALID_FUNCTION, PortCannotOpen},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(CodeOfComPortError(entry.error), entry.code) << entry.error;
}

// Windows reports the ICMP port unreachable as WSAECONNRESET, Wine as WSAECONNREFUSED: both are
// nobody listening, as ECONNREFUSED is on Linux.
TEST(WindowsDevices, SocketErrorsMapAsOnLinux)
{
    const struct {
        int error;
        int32_t send;
        int32_t receive;
    } cases[] = {
        {WSAECONNRESET, ConverterRefused, ConverterRefused},
        {WSAECONNREFUSED, ConverterRefused, ConverterRefused},
        {WSAENETUNREACH, NetworkUnreachable, NetworkReceiveFailed},
        {WSAEHOSTUNREACH, NetworkUnreachable, NetworkReceiveFailed},
        {WSAEADDRNOTAVAIL, NetworkUnreachable, NetworkReceiveFailed},
        {WSAENOBUFS, NetworkSendFailed, NetworkReceiveFailed},
        {WSAENETRESET, NetworkSendFailed, NetworkReceiveFailed},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(CodeOfSendError(entry.error), entry.send) << entry.error;
        EXPECT_EQ(CodeOfReceiveError(entry.error), entry.receive) << entry.error;
    }
}

TEST(WindowsDevices, ComPortsAreOneTo255ByTheirDevicePaths)
{
    EXPECT_FALSE(ValidComNumber(0));
    EXPECT_TRUE(ValidComNumber(1));
    EXPECT_TRUE(ValidComNumber(255));
    EXPECT_FALSE(ValidComNumber(256));
    std::string path;
    EXPECT_EQ(LocateComPort(1, path), Ok);
    EXPECT_EQ(path, R"(\\.\COM1)");
    EXPECT_EQ(LocateComPort(255, path), Ok);
    EXPECT_EQ(path, R"(\\.\COM255)") << "COM10 and above need the device path too";
}

TEST(WindowsDevices, AReadWaitsAtLeastTheTimeLeftWithinWhatCommTimeoutsTakes)
{
    using namespace std::chrono;
    EXPECT_EQ(ReadTimeoutMs(microseconds(1)), 1u) << "0 would wait for ever";
    EXPECT_EQ(ReadTimeoutMs(milliseconds(1)), 1u);
    EXPECT_EQ(ReadTimeoutMs(microseconds(1200)), 2u) << "never shorter than the time left";
    EXPECT_EQ(ReadTimeoutMs(hours(24 * 60)), MAXDWORD) << "a DWORD's worth at the most";
}

TEST(WindowsDevices, AWriteMayTakeItsBytesTimeOnTheLineAtEverySpeed)
{
    for (const uint32_t baud : {50u, 75u, 600u, 9600u, 115200u, 4000000u}) {
        const uint32_t perByte = WriteTimeoutMsPerByte(baud);
        EXPECT_GE(uint64_t(perByte) * baud, 10u * 1000u) << baud << " Bd: ten bits a byte";
        EXPECT_GE(perByte, 1u) << baud;
    }
}

// The libraries keep paths in UTF-8; the folder comes from GetModuleFileNameW, never through
// the ANSI code page, which has no ě or ř in most of the world.
TEST(WindowsDevices, TheLibrarysFolderKeepsACzechName)
{
    wchar_t temporary[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temporary), 0u);
    const std::wstring base =
        std::wstring(temporary) + L"serkon-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring folder = base + L"\\Měření";
    const std::wstring library = folder + L"\\RVS770.DLL";
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(WideOf(SERKON_DRIVER_DIR "/RVS770.DLL").c_str(), library.c_str(), TRUE));

    const HMODULE loaded = LoadLibraryW(library.c_str());
    ASSERT_NE(loaded, nullptr) << GetLastError();
    const auto entry = reinterpret_cast<const void*>(GetProcAddress(loaded, "RVS770_Version"));
    EXPECT_EQ(ModuleDirectory(entry), Utf8Of(folder));
    EXPECT_NE(Utf8Of(folder).find("\\M\xC4\x9B\xC5\x99\x65n\xC3\xAD"), std::string::npos)
        << "UTF-8: M, ě, ř, e, n, í";
    FreeLibrary(loaded);

    DeleteFileW(library.c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(base.c_str());
}
