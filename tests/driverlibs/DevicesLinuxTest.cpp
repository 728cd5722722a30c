// Finding the devices on Linux: the PCI card through sysfs, a bridge's latency timer, COM
// ports as ttyS, and the codes of failed opens.
#include "DriverCodes.h"
#include "PortLocator.h"
#include "PortLocatorLinux.h"
#include "SerialDevice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <memory>
#include <optional>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
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
    std::string path;
    EXPECT_EQ(LocateComPort(1, path), Ok);
    EXPECT_EQ(path, "/dev/ttyS0");
    EXPECT_EQ(LocateComPort(12, path), Ok);
    EXPECT_EQ(path, "/dev/ttyS11");
}

// A link of ports/ in the user's configuration folder sends the driver to whatever it names, so
// it counts only where nobody else could have put it there.
TEST(Devices, APortLinkCountsOnlyWhereNobodyElseCouldReplaceIt)
{
    struct Case {
        const char* what;
        int32_t code = PortLinksUntrusted;
        fs::perms folder = fs::perms::owner_all;
        fs::perms ports = fs::perms::owner_all;
        bool folderIsALink = false;
        bool anotherUsers = false;
        bool besideTheLibraries = false;
        bool linkAskedFor = true;
    };
    constexpr auto everyone = fs::perms::all;
    const Case cases[] = {
        {.what = "a private configuration folder", .code = Ok},
        {.what = "the configuration folder others may write", .folder = everyone},
        {.what = "ports/ the group may write", .ports = fs::perms::owner_all | fs::perms::group_all},
        {.what = "the configuration folder a symbolic link to a private one", .folderIsALink = true},
        {.what = "another user's configuration folder", .anotherUsers = true},
        {.what = "no link asked for where others may write: the default device", .code = Ok,
         .folder = everyone, .ports = everyone, .linkAskedFor = false},
        {.what = "the libraries' own folder, where whoever may write could replace the libraries",
         .code = Ok, .folder = everyone, .ports = everyone, .besideTheLibraries = true},
    };
    const fs::path root = fs::temp_directory_path() / ("serkon-ports-" + std::to_string(getpid()));
    int number = 0;
    for (const Case& c : cases) {
        if (c.anotherUsers && ::geteuid() != 0)
            continue;  // only root can give a folder away
        const fs::path base = root / std::to_string(++number);
        const fs::path real = base / "real";
        fs::create_directories(real / "ports");
        fs::create_symlink("/dev/null", real / "ports/com2");
        const fs::path folder = c.folderIsALink ? base / "serkon" : real;
        if (c.folderIsALink)
            fs::create_symlink(real, folder);
        fs::permissions(real, c.folder);
        fs::permissions(real / "ports", c.ports);
        if (c.anotherUsers) {
            ASSERT_EQ(::chown(real.c_str(), 65534, 65534), 0);
        }
        const std::string libraries = c.besideTheLibraries ? folder.string() : (base / "lib").string();
        std::optional<std::string> link;
        EXPECT_EQ(FindPortLink(folder.string(), libraries, c.linkAskedFor ? "com2" : "com3", link), c.code)
            << c.what;
        const bool found = c.code == Ok && c.linkAskedFor;
        EXPECT_EQ(link, found ? std::optional((folder / "ports/com2").string()) : std::nullopt) << c.what;
    }
    fs::remove_all(root);
}

TEST(Devices, OpenErrorsTellPermissionFromAbsence)
{
    EXPECT_EQ(CodeOfOpenError(EACCES), PortNoPermission);
    EXPECT_EQ(CodeOfOpenError(ENOENT), PortNotFound);
    EXPECT_EQ(CodeOfOpenError(ENODEV), PortNotFound);
    EXPECT_EQ(CodeOfOpenError(EBUSY), PortBusy);
    EXPECT_EQ(CodeOfOpenError(EIO), PortCannotOpen);
}

namespace {

// The serial flags of a port, read and, when given, set through a descriptor of the test's own.
std::optional<int> SerialFlags(int descriptor, std::optional<int> set = std::nullopt)
{
    serial_struct serial{};
    if (::ioctl(descriptor, TIOCGSERIAL, &serial) != 0 || serial.type == PORT_UNKNOWN)
        return std::nullopt;
    serial.flags = set.value_or(serial.flags);
    return !set || ::ioctl(descriptor, TIOCSSERIAL, &serial) == 0 ? std::optional<int>(serial.flags) : std::nullopt;
}

} // namespace

// Low-latency mode stays with a port until someone clears it (ftdi_sio then keeps a 1 ms latency
// timer for every later program): the device asks for it while open and leaves the flags as it
// found them. Needs a real UART or USB bridge as COM1 (a pseudo-terminal has no serial flags);
// the port's flags and line settings are put back afterwards.
TEST(Devices, LowLatencyModeEndsWithTheDevice)
{
    std::string port;
    ASSERT_EQ(LocateComPort(1, port), Ok);
    const int own = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const std::optional<int> found = own >= 0 ? SerialFlags(own) : std::nullopt;
    termios line{};
    if (!found || ::tcgetattr(own, &line) != 0) {
        ::close(own);
        GTEST_SKIP() << port << " is no port with serial flags here";
    }
    constexpr int LowLatency = int(ASYNC_LOW_LATENCY);
    for (const int before : {*found & ~LowLatency, *found | LowLatency}) {
        ASSERT_TRUE(SerialFlags(own, before)) << "the test may not set the port's flags";
        {
            std::unique_ptr<SerialDevice> device;
            ASSERT_EQ(SerialDevice::Open(port, device), Ok);
            EXPECT_NE(SerialFlags(own).value_or(0) & LowLatency, 0) << "low latency while open";
        }
        EXPECT_EQ(SerialFlags(own), before) << "the flags as found once closed";
    }
    SerialFlags(own, *found);
    ::tcsetattr(own, TCSANOW, &line);
    ::close(own);
}
