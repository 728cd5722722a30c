// What the libraries do on Linux: COM ports, the USB converter and the PCI card through ports/
// links to pseudo-terminals, the ISA card's port access; exports as Linux tells them.
#include "Connection.h"
#include "Interfaces.h"
#include "tests/support/ProgramFolder.h"

#include "Servers.h"

#include "drivers/DriverBinding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/ioctl.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#define SERKON_TEST_HAS_PORT_IO 1
#include <sys/io.h>
#else
#define SERKON_TEST_HAS_PORT_IO 0
#endif

namespace fs = std::filesystem;

namespace {

// Whether this process may do port I/O at the base. Asking changes only the process's own
// permission bitmap and is undone at once; no port is read or written.
bool PortIoAllowed(uint16_t base)
{
#if SERKON_TEST_HAS_PORT_IO
    if (ioperm(base, 8, 1) != 0)
        return false;
    ioperm(base, 8, 0);
    return true;
#else
    (void)base;
    return false;
#endif
}

void IdentifiesThroughOverride(uint8_t type, const char* linkName)
{
    ProgramFolder folder;
    sim::Module module{"KQ-3140", 2};
    sim::PtyServer server(module, folder.Port(linkName));
    ASSERT_TRUE(server.Listening()) << server.Failure();
    Connection connection(type);
    ASSERT_EQ(connection.Open(), 0);
    ASSERT_EQ(connection.Configure(115200, 500, 2), 0);
    const TransactionResult result = connection.Transact(2, 200, 0);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(std::string(result.data.begin(), result.data.end()), "KQ-3");
}

} // namespace

std::vector<std::string> ExportedNames(const std::string& libraryPath)
{
    std::vector<std::string> names;
    FILE* pipe = popen(("nm -D --defined-only " + libraryPath).c_str(), "r");
    if (!pipe)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        names.push_back(text.substr(text.rfind(' ') + 1, text.size() - text.rfind(' ') - 2));
    }
    pclose(pipe);
    return names;
}

TEST(ComPort, ALinkToNothingOrToAPlainFileIsReported)
{
    ProgramFolder folder;
    fs::create_directories(folder.Path() + "/ports");
    fs::create_symlink("/nonexistent/serial", folder.Port("com7"));
    Connection missing(Com);
    EXPECT_EQ(missing.Open(7), 13);
    EXPECT_EQ(DriverErrorString(Com, 13),
              QStringLiteral("Port neexistuje - zkontrolujte číslo portu nebo odkaz v ports/"));

    std::ofstream(folder.Path() + "/plain") << "not a port";
    fs::create_symlink(folder.Path() + "/plain", folder.Port("com8"));
    Connection plain(Com);
    EXPECT_EQ(plain.Open(8), 11);
}

TEST(ComPort, ASpeedTheLineCannotTakeIsRefused)
{
    ProgramFolder folder;
    sim::Module module;
    sim::PtyServer server(module, sim::ComLink(folder.Path(), 2));
    Connection connection(Com);
    ASSERT_EQ(connection.Open(2), 0);
    EXPECT_EQ(connection.Configure(12345, 200, 2), 15);
    EXPECT_EQ(connection.Configure(600, 1000, 2), 0);
}

TEST(ComPort, KeepsInStepWithALineThatTakesItsWireTime)
{
    ProgramFolder folder;
    sim::Module module;
    sim::PtyServer server(module, sim::ComLink(folder.Path(), 5));
    Connection connection(Com);
    ASSERT_EQ(connection.Open(5), 0);
    for (const int32_t baud : {9600, 115200}) {
        module.SetWireSpeed(uint32_t(baud));
        ASSERT_EQ(connection.Configure(baud, 1000, 2), 0);
        const uint64_t before = module.GetCounters().requests;
        for (uint8_t reg = 0; reg < 5; ++reg)
            EXPECT_EQ(connection.ReadRegister(1, reg).status, 0) << baud << ' ' << int(reg);
        EXPECT_EQ(module.GetCounters().requests - before, 5u) << "no retries";
    }
}

TEST(ComPort, ALineRunsAtTheSpeedSetAndAReplyCutShortSpoilsNoOther)
{
    ProgramFolder folder;
    sim::Module module;
    module.SetBusSpeed(600);
    sim::PtyServer server(module, sim::ComLink(folder.Path(), 6));
    Connection connection(Com);
    ASSERT_EQ(connection.Open(6), 0);
    ASSERT_EQ(connection.Configure(9600, 50, 1), 0);
    EXPECT_EQ(connection.ReadRegister(1, 4).status, 30) << "the module is set to 600 Bd";

    // The reply takes 408 ms from the end of the request, its first character 242 ms: at a
    // time-out between the two the first characters are there and the reply is not whole.
    ASSERT_EQ(connection.Configure(600, 320, 1), 0);
    EXPECT_EQ(connection.ReadRegister(1, 4).status, 31);
    // The rest of it runs out before the next request goes.
    ASSERT_EQ(connection.Configure(600, 1000, 1), 0);
    EXPECT_EQ(connection.ReadRegister(1, 4).status, 0);
}

TEST(ComPort, ClosingLeavesTheLineOpenToTheNextUser)
{
    // The exclusive mode would otherwise outlive the connection while serkon-sim keeps the
    // line open, and lock out everyone but root.
    ProgramFolder folder;
    sim::Module module;
    sim::PtyServer server(module, sim::ComLink(folder.Path(), 4));
    {
        Connection connection(Com);
        ASSERT_EQ(connection.Open(4), 0);
        const int line = ::open(server.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        int exclusive = 0;
        ASSERT_EQ(::ioctl(line, TIOCGEXCL, &exclusive), 0);
        EXPECT_NE(exclusive, 0) << "held exclusively while open";
        ::close(line);
    }
    const int line = ::open(server.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    int exclusive = 1;
    ASSERT_EQ(::ioctl(line, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    ::close(line);
}

TEST(UsbConverter, UsesThePortsUsbLink)
{
    IdentifiesThroughOverride(Usb, "usb");
}

TEST(PciCard, UsesThePortsPciLink)
{
    IdentifiesThroughOverride(Pci, "pci");
}

TEST(PciCard, WithoutACardSaysSo)
{
    ProgramFolder folder;
    Connection connection(Pci);
    EXPECT_EQ(connection.Open(), 23);
}

TEST(IsaCard, WithoutPortAccessAValidBaseIsRefusedWithItsReason)
{
    // With port access the library would probe the UART registers at 0x2E8, where a machine
    // may have a real serial port (COM4). Tests never touch hardware: the rest of the way to
    // the card runs against a simulated register file below the entries.
    if (PortIoAllowed(0x2E8))
        GTEST_SKIP() << "port I/O is allowed here (root or CAP_SYS_RAWIO)";
    ProgramFolder folder;
    Connection connection(Isa);
    const int32_t code = connection.Open(0x2E8);
#if SERKON_TEST_HAS_PORT_IO
    EXPECT_EQ(code, 26);
    EXPECT_EQ(DriverErrorString(Isa, 26),
              QStringLiteral("Přístup k I/O portům odepřen - spusťte jako root nebo s CAP_SYS_RAWIO"));
#else
    // No port I/O on this machine (arm64): the library loads all the same and says so.
    EXPECT_EQ(code, 4);
    EXPECT_EQ(DriverErrorString(Isa, 4), QStringLiteral("Rozhraní není na tomto počítači podporováno"));
#endif
}
