// What each of the five libraries does on its own on every platform: refusing bad parameters
// with their codes, several connections at once, the texts of the codes, exports and unloading.
#include "Connection.h"
#include "Interfaces.h"
#include "MappedCopies.h"
#include "tests/support/ProgramFolder.h"

#include "Servers.h"

#include "drivers/DriverBinding.h"
#include "drivers/DriverContract.h"
#include "drivers/DynamicLibrary.h"
#include "drivers/InterfaceTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

void ExpectEachRefused(std::initializer_list<RefusedInit> rows)
{
    ProgramFolder folder;
    for (const RefusedInit& row : rows) {
        Connection connection(row.type);
        EXPECT_EQ(connection.Open(row.parameter), row.code) << row.fault;
        if (row.text) {
            EXPECT_EQ(DriverErrorString(row.type, uint32_t(row.code)), QString::fromUtf8(row.text))
                << row.fault;
        }
    }
}

TEST(DriverLibrary, RefusesAnInitItCannotServeWithItsCodeAndText)
{
    ExpectEachRefused({
        {"COM port 0 taken for a port", Com, 0, 20, "Neplatné číslo portu COM"},
        {"a negative COM port number taken for a port", Com, -1, 20},
        {"a USB converter reported where none is attached", Usb, 0, 21,
         "USB konvertor RVC-772 nenalezen - je připojen?"},
        {"ISA base 0 accepted", Isa, 0x0, 25},
        {"an ISA base below the card's range accepted", Isa, 0x50, 25},
        {"an ISA base off the card's 8-port steps accepted", Isa, 0x301, 25},
        {"an ISA base above the card's range accepted", Isa, 0x400, 25},
        {"an ISA base beyond the ISA bus accepted", Isa, 0xFFFF, 25},
    });
}

TEST(LanConverter, BadAddressPortAndTimeOutAreRefused)
{
    ProgramFolder folder;
    const struct {
        const char* address;
        intptr_t port;
        intptr_t timeout;
        int32_t code;
    } cases[] = {
        {"", 5000, 0, 50},           {"192.168.1", 5000, 0, 50}, {"300.1.1.1", 5000, 0, 50},
        {"localhost", 5000, 0, 50},  {"127.0.0.1", 0, 0, 51},    {"127.0.0.1", 65536, 0, 51},
        {"127.0.0.1", 5000, -1, 52}, {"127.0.0.1", 5000, 70000, 52},
    };
    for (const auto& bad : cases) {
        Connection connection(Lan);
        EXPECT_EQ(connection.OpenLan(bad.address, bad.port, bad.timeout), bad.code)
            << bad.address << ' ' << bad.port << ' ' << bad.timeout;
    }
    EXPECT_EQ(DriverErrorString(Lan, 50), QStringLiteral("Neplatná IP adresa"));

    Connection nothing(Lan);
    DriverConfigBlock config{};
    uint32_t handle = 0;
    EXPECT_EQ(LoadDriver(Lan, &handle, config), 50) << "no address text at all";
}

TEST(LanConverter, IgnoresAStrayReplyFromAnotherPort)
{
    ProgramFolder folder;
    sim::Module module;
    module.SetRegister(30, 0x3C);
    sim::UdpServer server(module);
    Connection connection(Lan);
    ASSERT_EQ(connection.OpenLan("127.0.0.1", server.Port()), 0);
    ASSERT_EQ(connection.Configure(), 0);
    server.SendStrayReplies(1);
    const TransactionResult result = connection.ReadRegister(1, 30);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.data[2], 0x3C) << "the stray one carried the inverted value";
}

TEST(LanConverter, NobodyListeningIsReported)
{
    ProgramFolder folder;
    uint16_t closedPort = 0;
    {
        sim::Module module;
        sim::UdpServer server(module);
        closedPort = server.Port();
    }
    Connection connection(Lan);
    ASSERT_EQ(connection.OpenLan("127.0.0.1", closedPort), 0);
    ASSERT_EQ(connection.Configure(), 0);
    EXPECT_EQ(connection.ReadRegister(1, 4).status, 56);
}

TEST(LanConverter, TheNetworkTimeOutFromInitAddsToTheBusTimeOut)
{
    ProgramFolder folder;
    sim::Module module;
    sim::UdpServer server(module);
    Connection connection(Lan);
    ASSERT_EQ(connection.OpenLan("127.0.0.1", server.Port(), 1500), 0);
    ASSERT_EQ(connection.Configure(600, 1, 2), 0);
    module.SetReplyDelay(std::chrono::milliseconds(30));
    EXPECT_EQ(connection.ReadRegister(1, 4).status, 0) << "1 ms alone would not have been enough";
    EXPECT_EQ(module.GetCounters().requests, 1u);
}

// The binding holds one connection; the library itself keeps several apart.
TEST(DriverLibrary, SeveralConnectionsWithoutDoneStayApart)
{
    ProgramFolder folder;
    const LibraryHandle library =
        OpenLibrary(folder.FilePath(QString::fromUtf8(InterfaceTypes[Lan].libraryFile)));
    ASSERT_NE(library, nullptr);
    const auto init =
        reinterpret_cast<SerkonInitWithBlockEntry>(LibraryEntry(library, "RVD773_Init"));
    const auto setConfig =
        reinterpret_cast<SerkonSetConfigEntry>(LibraryEntry(library, "RVD773_SetConfig"));
    const auto send = reinterpret_cast<SerkonSendEntry>(LibraryEntry(library, "RVD773_Send"));
    const auto done = reinterpret_cast<SerkonDoneEntry>(LibraryEntry(library, "RVD773_Done"));
    ASSERT_TRUE(init && setConfig && send && done);

    sim::Module first;
    sim::Module second;
    first.SetRegister(40, 1);
    second.SetRegister(40, 2);
    sim::UdpServer firstServer(first);
    sim::UdpServer secondServer(second);
    const char* address = "127.0.0.1";
    intptr_t config[16] = {reinterpret_cast<intptr_t>(address), firstServer.Port(), 300};
    uint32_t firstHandle = 0;
    uint32_t secondHandle = 0;
    ASSERT_EQ(init(&firstHandle, config), 0);
    config[1] = secondServer.Port();
    ASSERT_EQ(init(&secondHandle, config), 0);
    EXPECT_NE(firstHandle, 0u);
    EXPECT_NE(secondHandle, 0u);
    EXPECT_NE(firstHandle, secondHandle);

    const auto readRegister40 = [&](uint32_t handle, int32_t& status) {
        int32_t request[SERKON_DRIVER_BUFFER_SIZE] = {0, 102, 0, 0, 40, 40};
        int32_t response[SERKON_DRIVER_BUFFER_SIZE] = {};
        int32_t extra = 0;
        send(handle, request, response, &extra, &status);
        return response[2];
    };
    int32_t status = -1;
    readRegister40(firstHandle, status);
    EXPECT_EQ(status, 34) << "no speed and time-out yet";
    ASSERT_EQ(setConfig(firstHandle, 9600, 300, 2), 0);
    ASSERT_EQ(setConfig(secondHandle, 9600, 300, 2), 0);
    EXPECT_EQ(readRegister40(firstHandle, status), 1);
    EXPECT_EQ(readRegister40(secondHandle, status), 2);

    uint32_t closed = firstHandle;
    EXPECT_EQ(done(&closed), 0);
    EXPECT_EQ(closed, 0u);
    readRegister40(firstHandle, status);
    EXPECT_EQ(status, 2) << "a closed handle is refused";
    EXPECT_EQ(done(&closed), 2);
    EXPECT_EQ(readRegister40(secondHandle, status), 2);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(done(&secondHandle), 0);
    CloseLibrary(library);
}

TEST(DriverLibrary, EveryCodeHasAShortWindows1250TextFromItsLibrary)
{
    ProgramFolder folder;
    Connection connection(Com);
    ASSERT_EQ(connection.Open(0), 20);  // a failed Init keeps the library for its texts
    for (uint32_t code = 0; code < 100; ++code) {
        DriverBuffer text{};
        text.fill(-1);
        DriverErrorText(Com, code, text);
        EXPECT_EQ(text[0], 0);
        int length = 0;
        while (length < 99 && text[size_t(length) + 1] != 0) {
            EXPECT_GE(text[size_t(length) + 1], 1);
            EXPECT_LE(text[size_t(length) + 1], 255);
            ++length;
        }
        EXPECT_GT(length, 0) << code;
    }
    EXPECT_TRUE(DriverErrorString(Com, 12).startsWith(QStringLiteral("Nedostatečná oprávnění k portu")));
    EXPECT_EQ(DriverErrorString(Com, 87), QStringLiteral("Neznámá chyba ovladače 87"));
}

TEST(DriverLibrary, ExportsExactlyTheSevenEntriesUnderItsStem)
{
    for (const InterfaceTypeInfo& type : InterfaceTypes) {
        std::vector<std::string> names =
            ExportedNames(std::string(SERKON_DRIVER_DIR) + '/' + type.libraryFile);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, EntryNames(type.stem)) << type.libraryFile;
    }
}

TEST(DriverLibrary, IsUnloadedWhenTheConnectionCloses)
{
    ProgramFolder folder;
    sim::Module module;
    sim::UdpServer server(module);
    const QString library = folder.FilePath(QString::fromUtf8(InterfaceTypes[Lan].libraryFile));
    {
        Connection connection(Lan);
        ASSERT_EQ(connection.OpenLan("127.0.0.1", server.Port()), 0);
        EXPECT_EQ(MappedCopies(library), 1);
    }
    EXPECT_EQ(MappedCopies(library), 0);
}
