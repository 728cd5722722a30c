// Linux: ports and ports link, the links of ports/ made and listed by serkon-cli and found by
// the driver libraries, and the stable by-id paths of the ports.
#include "CliFixture.h"

#include "tools/cli/PortLinks.h"
#include "tools/cli/PortListing.h"
#include "tools/cli/SerialPortCheck.h"

#include <filesystem>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

QString LinkTarget(const QString& link)
{
    std::error_code error;
    return QString::fromStdString(std::filesystem::read_symlink(link.toStdString(), error).string());
}

} // namespace

TEST_F(CliTest, PortsLinkMakesALinkTheDriverLibraryFollows)
{
    sim::PtyServer pty(module);
    sim::PtyServer other(module);
    ASSERT_TRUE(pty.Listening() && other.Listening()) << pty.Failure() << other.Failure();
    const QString device = QString::fromStdString(pty.Path());
    const QString link = Path(QStringLiteral("ports/com4"));

    // A link of the name that is there already is replaced.
    ASSERT_EQ(Run({QStringLiteral("ports"), QStringLiteral("link"), QStringLiteral("com4"),
                   QString::fromStdString(other.Path())}).exitCode, 0);
    const CliRun linked = Run({QStringLiteral("ports"), QStringLiteral("link"), QStringLiteral("COM4"), device});
    EXPECT_EQ(linked.exitCode, 0) << linked.err.toStdString();
    EXPECT_EQ(linked.Out(), link + QStringLiteral(" -> ") + device + u'\n');
    EXPECT_EQ(LinkTarget(link), device);
    EXPECT_EQ(QDir(Path(QStringLiteral("ports"))).entryList(QDir::AllEntries | QDir::System | QDir::Hidden
                                                            | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("com4")});

    const CliRun identified = Run({QStringLiteral("-q"), QStringLiteral("identify"), QStringLiteral("--interface"),
                                   QStringLiteral("com"), QStringLiteral("--com"), QStringLiteral("4")});
    EXPECT_EQ(identified.exitCode, 0) << identified.err.toStdString();
    EXPECT_EQ(identified.Out(), QStringLiteral("KQ-3110  v.1.09\n"));

    // The listing names each link with the device it leads to, and one that leads nowhere.
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/ttyUSB9"), Path(QStringLiteral("ports/usb"))));
    const CliRun listed = Run({QStringLiteral("ports")});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QString links = listed.Out().section(QStringLiteral("Odkazy ve složce "), 1);
    EXPECT_EQ(links, Path(QStringLiteral("ports")) + QStringLiteral(":\n  com4 -> %1 (%1)\n").arg(device)
                         + QStringLiteral("  usb -> /nonexistent/ttyUSB9 (nevede na žádné zařízení)\n"));
    EXPECT_TRUE(listed.Out().startsWith(QStringLiteral("Sériové porty:"))) << listed.Out().toStdString();
}

TEST_F(CliTest, PortsLinkRefusesWhatIsNoLinkNameOrNoSerialPort)
{
    WriteBytes(QStringLiteral("soubor"), "x");
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{QStringLiteral("com0"), QStringLiteral("/dev/null")},
         QStringLiteral("serkon-cli: Odkaz com0 nelze udělat: název je com1 až com255, usb nebo pci.")},
        {{QStringLiteral("com256"), QStringLiteral("/dev/null")},
         QStringLiteral("serkon-cli: Odkaz com256 nelze udělat: název je com1 až com255, usb nebo pci.")},
        {{QStringLiteral("com03"), QStringLiteral("/dev/null")},
         QStringLiteral("serkon-cli: Odkaz com03 nelze udělat: název je com1 až com255, usb nebo pci.")},
        {{QStringLiteral("lpt1"), QStringLiteral("/dev/null")},
         QStringLiteral("serkon-cli: Odkaz lpt1 nelze udělat: název je com1 až com255, usb nebo pci.")},
        {{QStringLiteral("usb")}, QStringLiteral("serkon-cli: Příkaz ports link potřebuje argumenty NÁZEV CESTA.")},
        {{QStringLiteral("usb"), QStringLiteral("/dev/null")}, QStringLiteral("/dev/null není sériový port.")},
        {{QStringLiteral("pci"), QStringLiteral("soubor")}, Path(QStringLiteral("soubor")) + QStringLiteral(" není sériový port.")},
        {{QStringLiteral("com1"), QStringLiteral("chybí")}, Path(QStringLiteral("chybí")) + QStringLiteral(" neexistuje.")},
    };
    for (const auto& c : cases) {
        const CliRun run = Run(QStringList{QStringLiteral("ports"), QStringLiteral("link")} + c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.ErrLines(), QStringList{c.message}) << c.arguments.join(u' ').toStdString();
    }
    const CliRun withConnection = Run({QStringLiteral("ports"), QStringLiteral("--com"), QStringLiteral("3")});
    EXPECT_EQ(withConnection.exitCode, 2);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("ports"))));
}

// Terminals that are no serial port, told by their device numbers whatever their name or a
// link to them: each open of /dev/ptmx makes a new pseudo-terminal that nobody answers on.
TEST_F(CliTest, PortsLinkRefusesTerminalsThatAreNoSerialPort)
{
    struct Terminal {
        const char* name;
        unsigned major;
        unsigned minor;
        QString refusal;
    };
    const Terminal terminals[] = {
        {"tty", 5, 0, QStringLiteral(" je řídicí terminál procesu, který ho otevře, ne sériový port.")},
        {"console", 5, 1, QStringLiteral(" je systémová konzole, ne sériový port.")},
        {"ptmx", 5, 2,
         QStringLiteral(" vytvoří při každém otevření nový pseudoterminál, na jehož druhé straně nikdo "
                        "není; odkazujte pseudoterminál /dev/pts/N, který někdo drží otevřený (jako "
                        "serkon-sim --pty).")},
        {"tty0", 4, 0, QStringLiteral(" je virtuální konzole, ne sériový port.")},
        {"tty63", 4, 63, QStringLiteral(" je virtuální konzole, ne sériový port.")},
    };
    // Every Linux has these two; where the test may make device nodes (as root), copies of all
    // under other names, and a link to one.
    std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("/dev/tty"), terminals[0].refusal},
        {QStringLiteral("/dev/ptmx"), terminals[2].refusal},
    };
    for (const Terminal& terminal : terminals) {
        const QString node = Path(QStringLiteral("node-") + QString::fromLatin1(terminal.name));
        if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(terminal.major, terminal.minor)) == 0)
            cases.emplace_back(node, terminal.refusal);
    }
    if (QFile::link(Path(QStringLiteral("node-ptmx")), Path(QStringLiteral("link-to-ptmx"))))
        cases.emplace_back(Path(QStringLiteral("link-to-ptmx")), terminals[2].refusal);
    for (const auto& [path, refusal] : cases) {
        const CliRun run = Run({QStringLiteral("ports"), QStringLiteral("link"), QStringLiteral("com2"), path});
        EXPECT_EQ(run.exitCode, 2) << path.toStdString();
        EXPECT_EQ(run.ErrLines().join(u'\n').toStdString(), (path + refusal).toStdString());
    }
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("ports"))));
}

// Opening the port to try it would raise DTR and RTS, which can key an RS-485 transmitter.
TEST(PortLinks, APortIsJudgedWithoutOpeningIt)
{
    sim::Module module{"KQ-3110", 1};
    sim::PtyServer pty(module);
    ASSERT_TRUE(pty.Listening()) << pty.Failure();
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, pty.Path().c_str(), IN_OPEN), 0);
    EXPECT_EQ(RefusalAsSerialPort(QString::fromStdString(pty.Path())), std::nullopt);
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the pseudo-terminal was opened";
    ::close(watch);
}

TEST(PortLinks, TheStablePathIsTheByIdLinkThatLeadsToTheDevice)
{
    const QTemporaryDir byId;
    sim::Module module{"KQ-3110", 1};
    sim::PtyServer pty(module);
    sim::PtyServer other(module);
    ASSERT_TRUE(pty.Listening() && other.Listening());
    const QString device = QString::fromStdString(pty.Path());
    ASSERT_TRUE(QFile::link(QString::fromStdString(other.Path()), byId.filePath(QStringLiteral("usb-A-if00"))));
    ASSERT_TRUE(QFile::link(QDir(byId.path()).relativeFilePath(device), byId.filePath(QStringLiteral("usb-B-if00"))));
    EXPECT_EQ(StablePortPath(device, byId.path()), byId.filePath(QStringLiteral("usb-B-if00")));
    EXPECT_EQ(StablePortPath(QStringLiteral("/dev/null"), byId.path()), QString());
}

// What a plugged-in USB adapter looks like in the listing, without the adapter: its ids, maker
// and serial number, its stable path, and the mark of the converter unless ports/usb overrides it.
TEST(PortLinks, TheListingNamesAUsbAdapterWithItsIdsAndStablePath)
{
    const QTemporaryDir dev;
    const QString uart = dev.filePath(QStringLiteral("ttyS0"));
    const QString adapter = dev.filePath(QStringLiteral("ttyUSB0"));
    const QString byId = dev.filePath(QStringLiteral("by-id"));
    ASSERT_TRUE(QFile(uart).open(QIODevice::WriteOnly) && QFile(adapter).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir().mkpath(byId));
    const QString stable = byId + QStringLiteral("/usb-SERKON_RVC-772_A10K5Q-if00-port0");
    ASSERT_TRUE(QFile::link(QStringLiteral("../ttyUSB0"), stable));

    const std::vector<driverlib::SerialPortEntry> ports = {
        {uart.toStdString(), "ttyS0", std::nullopt, ""},
        {adapter.toStdString(), "RVC-772 - A10K5Q",
         driverlib::UsbSerialPort{adapter.toStdString(), 0x0403, 0x6001, "RVC-772", "A10K5Q"}, "SERKON"},
    };
    const QString listed = QStringLiteral("Sériové porty:\n  %1  ttyS0\n"
                                          "  %2  RVC-772 - A10K5Q (USB 0403:6001, výrobce SERKON, sériové číslo A10K5Q)\n"
                                          "      %3\n")
                               .arg(uart, adapter, stable);
    const StablePortName stableName = [&](const QString& device) { return StablePortPath(device, byId); };
    EXPECT_EQ(PortsText(ports, false, stableName), listed + QStringLiteral("      USB konvertor RVC-772\n"));
    EXPECT_EQ(PortsText(ports, true, stableName), listed);
}
