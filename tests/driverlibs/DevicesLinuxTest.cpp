// Finding the devices on Linux: the PCI card through sysfs, a bridge's latency timer, COM
// ports as ttyS, and the codes of failed opens.
#include "DriverCodes.h"
#include "PortLocator.h"
#include "PortLocatorLinux.h"
#include "SerialDevice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <pty.h>
#include <unistd.h>

using namespace driverlib;
namespace fs = std::filesystem;

TEST(Devices, PciCardIsFoundInSysfsByVendorAndDevice)
{
    const fs::path root = fs::temp_directory_path() / ("serkon-sysfs-" + std::to_string(getpid()));
    const auto device = [&](const char* slot, const char* vendor, const char* id,
                            std::initializer_list<const char*> ttys) {
        const fs::path path = root / "bus/pci/devices" / slot;
        fs::create_directories(path / "tty");
        std::ofstream(path / "vendor") << vendor << '\n';
        std::ofstream(path / "device") << id << '\n';
        for (const char* tty : ttys)
            fs::create_directories(path / "tty" / tty);
    };
    EXPECT_EQ(FindPciCardTty(root.string()), std::nullopt);
    device("0000:00:1f.0", "0x8086", "0x0771", {"ttyS0"});
    device("0000:03:00.0", "0x1a4e", "0x0771", {"ttyS5", "ttyS4"});
    EXPECT_EQ(FindPciCardTty(root.string()), "/dev/ttyS4");
    fs::remove_all(root);
}

TEST(Devices, AManyPortCardGivesItsLowestNumberedTty)
{
    const fs::path root = fs::temp_directory_path() / ("serkon-sysfs-many-" + std::to_string(getpid()));
    const fs::path card = root / "bus/pci/devices/0000:05:00.0";
    for (const char* tty : {"ttyS10", "ttyS11", "ttyS9", "ttyS12"})
        fs::create_directories(card / "tty" / tty);
    std::ofstream(card / "vendor") << "0x1a4e\n";
    std::ofstream(card / "device") << "0x0771\n";
    EXPECT_EQ(FindPciCardTty(root.string()), "/dev/ttyS9");
    fs::remove_all(root);
}

TEST(Devices, ABridgesLatencyTimerIsReadFromSysfsAndAPseudoTerminalHasNoLowLatencyMode)
{
    const fs::path root = fs::temp_directory_path() / ("serkon-sysfs-latency-" + std::to_string(getpid()));
    fs::create_directories(root / "class/tty/ttyUSB0/device");
    std::ofstream(root / "class/tty/ttyUSB0/device/latency_timer") << "16\n";
    EXPECT_EQ(LatencyTimer(root.string(), "/dev/ttyUSB0"), std::chrono::milliseconds(16));
    EXPECT_EQ(LatencyTimer(root.string(), "/dev/ttyS0"), std::chrono::microseconds(0));
    fs::remove_all(root);

    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    EXPECT_FALSE(RequestLowLatency(slave));
    ::close(slave);
    ::close(master);
}

TEST(Devices, ComPortsMapToTtySByDefault)
{
    EXPECT_EQ(ComDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(ComDevicePath(12), "/dev/ttyS11");
}

TEST(Devices, OpenErrorsTellPermissionFromAbsence)
{
    EXPECT_EQ(CodeOfOpenError(EACCES), PortNoPermission);
    EXPECT_EQ(CodeOfOpenError(ENOENT), PortNotFound);
    EXPECT_EQ(CodeOfOpenError(ENODEV), PortNotFound);
    EXPECT_EQ(CodeOfOpenError(EBUSY), PortBusy);
    EXPECT_EQ(CodeOfOpenError(EIO), PortCannotOpen);
}
