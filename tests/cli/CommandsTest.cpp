// identify, status, clear-status and scan, the command line itself, and the connection.
#include "CliFixture.h"

#include "config/StatusTexts.h"
#include "core/Cp1250.h"
#include "drivers/InterfaceTypes.h"
#include "drivers/Transaction.h"
#include "tools/cli/ProbeTiming.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <set>

namespace {

const QString Identified =
    QStringLiteral("Připojení úspěšně inicializováno. Připojen modul   KQ-3110  v.1.09");

} // namespace

TEST_F(CliTest, IdentifyPrintsTheModuleNameAndTheConnectionTexts)
{
    const CliRun run = Run({QStringLiteral("identify")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Out(), QStringLiteral("KQ-3110  v.1.09\n"));
    EXPECT_EQ(run.ErrLines(), (QStringList{QStringLiteral("Probíhá inicializace připojení"), Identified}));

    const CliRun quiet = Run({QStringLiteral("-q"), QStringLiteral("identify")});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.Out(), QStringLiteral("KQ-3110  v.1.09\n"));
    EXPECT_TRUE(quiet.err.isEmpty());
}

TEST_F(CliTest, SettingsFileIsReadButNeverWritten)
{
    // Forms that a save would rewrite in decimal.
    QByteArray settings = ReadBytes(QStringLiteral("SERKON.ini"));
    settings.replace("Adresa=7", "Adresa=$7").replace("Rychlost=9600", "Rychlost=0x2580");
    WriteBytes(QStringLiteral("SERKON.ini"), settings);

    ASSERT_EQ(Run({QStringLiteral("identify")}).exitCode, 0);
    ASSERT_EQ(Run({QStringLiteral("identify"), QStringLiteral("--speed"), QStringLiteral("19200")}).exitCode, 0);
    EXPECT_EQ(ReadBytes(QStringLiteral("SERKON.ini")), settings);
    EXPECT_EQ(QDir(folder.Directory()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("SERKON")),
              QStringList{QStringLiteral("SERKON.ini")});
}

TEST_F(CliTest, OverridesReplaceTheSettings)
{
    module.SetAddress(12);
    EXPECT_EQ(Run({QStringLiteral("identify"), QStringLiteral("--address"), QStringLiteral("12")}).exitCode, 0);

    // The whole connection from the command line, over settings for another interface.
    QFile::remove(Path(QStringLiteral("SERKON.ini")));
    const CliRun run = Run({QStringLiteral("identify"), QStringLiteral("--interface"), QStringLiteral("lan"),
                            QStringLiteral("--ip"), QStringLiteral("127.0.0.1"), QStringLiteral("--udp-port"),
                            QString::number(udp.Port()), QStringLiteral("--address"), QStringLiteral("12")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Out(), QStringLiteral("KQ-3110  v.1.09\n"));
}

TEST_F(CliTest, SettingsPrintsTheConnectionAsTheProgramLoadsIt)
{
    // Notations the program's loader reads: a low byte, "$" and "0x" hex, quotes, a speed of 0.
    WriteBytes(QStringLiteral("SERKON.ini"),
               EncodeCp1250(QStringLiteral("[PŘIPOJENÍ]\nRozhraní=RVD-773\nAdresa=300\nRychlost=0\n"
                                           "[rvd-773]\nIP adresa=\"10.0.0.9\"\nUDP port=$BB8\nUDP timeout=0x10\n")));
    const CliRun lan = Run({QStringLiteral("settings")});
    EXPECT_EQ(lan.exitCode, 0);
    EXPECT_EQ(lan.Out(), QStringLiteral("interface=lan\naddress=44\nspeed=9600\nip=10.0.0.9\nudp-port=3000\n"
                                        "udp-timeout=16\n"));
    EXPECT_EQ(lan.ErrLines(), QStringList{QStringLiteral("Nastavení ze souboru ") + ShownPath(QStringLiteral("SERKON.ini"))});

    const CliRun overridden = Run({QStringLiteral("settings"), QStringLiteral("--address"), QStringLiteral("5"),
                                   QStringLiteral("--speed"), QStringLiteral("115200"), QStringLiteral("--udp-port"),
                                   QStringLiteral("7")});
    EXPECT_EQ(overridden.Out(), QStringLiteral("interface=lan\naddress=5\nspeed=115200\nip=10.0.0.9\n"
                                               "udp-port=7\nudp-timeout=16\n"));
    const CliRun refused = Run({QStringLiteral("settings"), QStringLiteral("--com"), QStringLiteral("3")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.out.isEmpty());

    // Without a settings file: the program's defaults.
    QFile::remove(Path(QStringLiteral("SERKON.ini")));
    const CliRun defaults = Run({QStringLiteral("settings")});
    EXPECT_EQ(defaults.Out(), QStringLiteral("interface=com\naddress=0\nspeed=9600\ncom=1\n"));
    EXPECT_EQ(defaults.ErrLines(), QStringList{QStringLiteral("Soubor %1 neexistuje, platí výchozí nastavení.")
                                                   .arg(ShownPath(QStringLiteral("SERKON.ini")))});
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("SERKON.ini"))));
}

TEST_F(CliTest, UsageErrorsEndWithCodeTwoBeforeAnyTraffic)
{
    const std::vector<QStringList> wrong = {
        {},
        {QStringLiteral("reset")},
        {QStringLiteral("identify"), QStringLiteral("--bogus")},
        {QStringLiteral("identify"), QStringLiteral("extra")},
        {QStringLiteral("write")},
        {QStringLiteral("read"), QStringLiteral("--report"), QStringLiteral("r.csv")},
        {QStringLiteral("scan"), QStringLiteral("--address"), QStringLiteral("7")},
        {QStringLiteral("identify"), QStringLiteral("--address"), QStringLiteral("256")},
        {QStringLiteral("identify"), QStringLiteral("--address"), QStringLiteral("x")},
        {QStringLiteral("identify"), QStringLiteral("--speed"), QStringLiteral("1000")},
        {QStringLiteral("identify"), QStringLiteral("--interface"), QStringLiteral("wifi")},
        {QStringLiteral("identify"), QStringLiteral("--com"), QStringLiteral("3")},  // LAN in SERKON.ini
        {QStringLiteral("identify"), QStringLiteral("--interface"), QStringLiteral("isa"),
         QStringLiteral("--base"), QStringLiteral("12345")},
        {QStringLiteral("read"), QStringLiteral("--model"), QStringLiteral("KQ-9999")},
        {QStringLiteral("status"), QStringLiteral("--interval"), QStringLiteral("100")},
        {QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("9"), QStringLiteral("--to"),
         QStringLiteral("8")},
        {QStringLiteral("scan"), QStringLiteral("--speeds"), QStringLiteral("9600,1000")},
        {QStringLiteral("identify"), QStringLiteral("--speed")},
        {QStringLiteral("identify"), QStringLiteral("--save")},
        {QStringLiteral("settings"), QStringLiteral("--store")},
        {QStringLiteral("scan"), QStringLiteral("--store=1")},
        {QStringLiteral("scan"), QStringLiteral("--margin"), QStringLiteral("1001")},
    };
    for (const QStringList& arguments : wrong) {
        const CliRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(Requests(), 0u);
}

TEST_F(CliTest, ConnectionValuesOutOfTheirRangeOnTheCommandLineAreUsageErrors)
{
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{QStringLiteral("--udp-port"), QStringLiteral("70000")}, QStringLiteral("--udp-port: UDP port musí být 1 až 65535.")},
        {{QStringLiteral("--udp-port"), QStringLiteral("0")}, QStringLiteral("--udp-port: UDP port musí být 1 až 65535.")},
        {{QStringLiteral("--udp-port"), QStringLiteral("abc")}, QStringLiteral("--udp-port: UDP port musí být 1 až 65535.")},
        {{QStringLiteral("--udp-timeout"), QStringLiteral("65536")},
         QStringLiteral("--udp-timeout: UDP timeout musí být 0 až 65535 ms.")},
        {{QStringLiteral("--udp-timeout"), QStringLiteral("-1")},
         QStringLiteral("--udp-timeout: UDP timeout musí být 0 až 65535 ms.")},
        {{QStringLiteral("--ip"), QString()},
         QStringLiteral("--ip: zadejte IP adresu LAN konvertoru, např. 192.168.1.100.")},
        {{QStringLiteral("--ip"), QStringLiteral("  ")},
         QStringLiteral("--ip: zadejte IP adresu LAN konvertoru, např. 192.168.1.100.")},
    };
    for (const auto& c : cases) {
        const CliRun run = Run(QStringList{QStringLiteral("identify")} + c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.ErrLines(), QStringList{QStringLiteral("serkon-cli: ") + c.message})
            << c.arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(Requests(), 0u);

    // Values within the ranges are taken, the longest UDP time-out too.
    const CliRun edges = Run({QStringLiteral("-q"), QStringLiteral("identify"), QStringLiteral("--udp-port"),
                              QString::number(udp.Port()), QStringLiteral("--udp-timeout"),
                              QStringLiteral("65535")});
    EXPECT_EQ(edges.exitCode, 0);
}

TEST_F(CliTest, CommandLineErrorsAreTold)
{
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{QStringLiteral("status"), QStringLiteral("--watch=5")}, QStringLiteral("Volba --watch nebere hodnotu.")},
        {{QStringLiteral("identify"), QStringLiteral("-q=1")}, QStringLiteral("Volba -q nebere hodnotu.")},
        {{QStringLiteral("identify"), QStringLiteral("--bogus")}, QStringLiteral("Neznámá volba --bogus.")},
        {{QStringLiteral("identify"), QStringLiteral("--bogus=1")}, QStringLiteral("Neznámá volba --bogus.")},
        {{QStringLiteral("identify"), QStringLiteral("--speed")}, QStringLiteral("Volba --speed potřebuje hodnotu.")},
        {{QStringLiteral("read"), QStringLiteral("-o")}, QStringLiteral("Volba -o potřebuje hodnotu.")},
        {{QStringLiteral("read"), QStringLiteral("--report"), QStringLiteral("r.csv")},
         QStringLiteral("Příkaz read nezná volbu --report.")},
        {{QStringLiteral("reset")}, QStringLiteral("Neznámý příkaz reset (serkon-cli --help).")},
    };
    for (const auto& c : cases) {
        const CliRun run = Run(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.ErrLines(), QStringList{QStringLiteral("serkon-cli: ") + c.message})
            << c.arguments.join(u' ').toStdString();
    }
}

TEST_F(CliTest, HelpTextsOfAllOptionsStartInOneColumn)
{
    // "  -o, --output SOUBOR   profil zapíše …": names, at least two blanks, the text.
    const QRegularExpression optionLine(QStringLiteral("^  +(-\\S.*?\\S)  +\\S"));
    for (const char* command : {"", "identify", "read", "write", "status", "clear-status", "scan"}) {
        QStringList arguments = {QStringLiteral("--help")};
        if (*command)
            arguments.prepend(QString::fromLatin1(command));
        const CliRun run = Run(arguments);
        ASSERT_EQ(run.exitCode, 0) << command;
        std::set<qsizetype> columns;
        int options = 0;
        for (const QString& line : run.Out().split(u'\n')) {
            const QRegularExpressionMatch match = optionLine.match(line);
            if (!match.hasMatch())
                continue;
            ++options;
            columns.insert(match.capturedEnd(0) - 1);
        }
        EXPECT_GE(options, 8) << command;  // the connection options at least
        EXPECT_EQ(columns.size(), 1u) << command;
    }
    EXPECT_TRUE(Run({QStringLiteral("--help")}).Out().contains(QStringLiteral("--interface com|isa|pci|usb|lan  ")));
}

TEST_F(CliTest, HelpForEveryCommandAndTheVersion)
{
    const char* const commands[] = {"identify", "read", "write", "status", "clear-status", "scan", "settings",
                                    "ports", "ports link"};
    for (const char* command : commands) {
        const CliRun run = Run(QString::fromLatin1(command).split(u' ') + QStringList{QStringLiteral("--help")});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_TRUE(run.Out().startsWith(QStringLiteral("Použití: serkon-cli ") + QString::fromLatin1(command)))
            << command;
    }
    const CliRun help = Run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : commands)
        EXPECT_TRUE(help.Out().contains(QStringLiteral("\n  ") + QString::fromLatin1(command))) << command;
    // The line the shell completion takes the model names from.
    EXPECT_TRUE(Run({QStringLiteral("read"), QStringLiteral("--help")})
                    .Out()
                    .contains(QStringLiteral("\nModely: KQ-3110, KQ-3120, KQ-3130, KQ-3140, KQ-3210, KQ-3220, "
                                             "KQ-3230, RZ-310\n")));

    const CliRun version = Run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.Out().startsWith(QStringLiteral("serkon-cli ")));
    EXPECT_EQ(Requests(), 0u);
}

TEST_F(CliTest, FailedConnectionEndsWithCodeThreeAndTheDialogsText)
{
    const CliRun silent = Run({QStringLiteral("identify"), QStringLiteral("--address"), QStringLiteral("9"),
                               QStringLiteral("--udp-timeout"), QStringLiteral("50")});
    EXPECT_EQ(silent.exitCode, 3);
    EXPECT_TRUE(silent.out.isEmpty());
    EXPECT_TRUE(silent.LastErrLine().startsWith(QStringLiteral("Modul neodpovídá")))
        << silent.LastErrLine().toStdString();

    // Settings that SERKON.ini holds are refused as the dialog refuses them.
    TData settings = SimulatorRecord(udp.Port(), ModuleAddress);
    settings.UdpPort = 70000;
    ASSERT_TRUE(SaveSettingsTo(Path(QStringLiteral("SERKON.ini")), &settings));
    const CliRun badPort = Run({QStringLiteral("status")});
    EXPECT_EQ(badPort.exitCode, 3);
    EXPECT_EQ(badPort.LastErrLine(), QStringLiteral("Neplatný UDP port"));
    settings = SimulatorRecord(udp.Port(), ModuleAddress);
    settings.IpAddress.clear();
    ASSERT_TRUE(SaveSettingsTo(Path(QStringLiteral("SERKON.ini")), &settings));
    const CliRun noIp = Run({QStringLiteral("identify")});
    EXPECT_EQ(noIp.exitCode, 3);
    EXPECT_EQ(noIp.LastErrLine(), QStringLiteral("Neplatná IP adresa"));
    WriteSettings();

    ASSERT_TRUE(QFile::remove(Path(QString::fromUtf8(InterfaceTypes[InterfaceLan].libraryFile))));
    const CliRun noLibrary = Run({QStringLiteral("read")});
    EXPECT_EQ(noLibrary.exitCode, 3);
    EXPECT_EQ(noLibrary.LastErrLine(),
              QStringLiteral("Chyba inicializace připojení - chyba inicializace knihovny RVD773.DLL"));
}

TEST_F(CliTest, StatusShowsTheThirtyTwoBitsWithTheirCaptions)
{
    module.SetStatus(0x80000012);
    const CliRun run = Run({QStringLiteral("status")});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = run.Out().split(u'\n');
    ASSERT_GE(lines.size(), 10);
    EXPECT_EQ(lines[0], QStringLiteral("Status registr: 0x80000012"));
    EXPECT_EQ(lines[1], QStringLiteral("       bajt 0    bajt 1    bajt 2    bajt 3"));
    EXPECT_EQ(lines[2], QStringLiteral("bit 0  ---    0  ---    0  ---    0  ---    0"));
    EXPECT_EQ(lines[3], QStringLiteral("bit 1  FN     1  ---    0  ---    0  ---    0"));
    EXPECT_EQ(lines[5], QStringLiteral("bit 3  ---    0  ---    0  ---    0  ---    0"));
    EXPECT_EQ(lines[6], QStringLiteral("bit 4  PWR    1  ---    0  ---    0  ---    0"));
    EXPECT_EQ(lines[8], QStringLiteral("bit 6  ERR24  0  ---    0  ---    0  ---    0"));
    EXPECT_EQ(lines[9], QStringLiteral("bit 7  ---    0  ---    0  ---    0  ---    1"));
}

TEST_F(CliTest, ClearStatusClearsTheRegister)
{
    module.SetStatus(0xFF);
    const CliRun run = Run({QStringLiteral("clear-status")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(module.Status(), 0u);
}

TEST_F(CliTest, FailedStatusTransactionsEndWithCodeFour)
{
    module.SetCommandStatus(CmdReadStatus, 1);
    const CliRun read = Run({QStringLiteral("status")});
    EXPECT_EQ(read.exitCode, 4);
    EXPECT_EQ(read.LastErrLine(), QStringLiteral("Modul nezná tento příkaz"));
    EXPECT_TRUE(read.out.isEmpty());

    module.SetCommandStatus(CmdClearStatus, 4);
    module.SetStatus(0x10);
    const CliRun clear = Run({QStringLiteral("clear-status")});
    EXPECT_EQ(clear.exitCode, 4);
    EXPECT_EQ(clear.LastErrLine(), QStringLiteral("Modul je zaneprázdněn - opakujte akci"));
    EXPECT_EQ(module.Status(), 0x10u);
}

TEST_F(CliTest, ScanFindsTheModuleAmongEmptyAddresses)
{
    WriteSettings(500);
    const CliRun run = Run({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("6"),
                            QStringLiteral("--to"), QStringLiteral("8")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Out(), QStringLiteral("  7    9600 Bd  KQ-3110  v.1.09\n"));

    // A progress line for every probe, the second pass over the silent addresses included,
    // then the summary.
    const QStringList lines = run.ErrLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Hledání modulů: adresa 6, 9600 Bd (0 %"))) << lines[0].toStdString();
    // Before the first probe the time left is every probe's time-out with the UDP time-out:
    // three addresses, and address 0 asked up to three times.
    const int estimate = (6 * (ProbeTimeoutMs(9600, true) + 500) + 999) / 1000;
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(", zbývá asi %1 s)").arg(estimate))) << lines[0].toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("adresa 8, 9600 Bd, 2. průchod")).size(), 1);
    EXPECT_EQ(lines.last(), QStringLiteral("Prohledáno kroků: 3, nalezeno modulů: 1."));

    std::set<int> asked;
    for (const auto& request : module.RequestLog()) {
        if (request.command == CmdIdentify && request.subcode == 0)
            asked.insert(request.address);
    }
    EXPECT_EQ(asked, (std::set<int>{0, 6, 7, 8})) << "address 0 tells whether anything answers";
}

TEST_F(CliTest, ScanTriesEverySpeedAskedForOnceAndEndsWithCodeThreeWhenNothingAnswers)
{
    // A speed named twice is scanned once: its module is one module, which --store may keep.
    const CliRun speeds = Run({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("7"),
                               QStringLiteral("--to"), QStringLiteral("7"), QStringLiteral("--speeds"),
                               QStringLiteral("600,115200, 600")});
    EXPECT_EQ(speeds.exitCode, 0);
    EXPECT_EQ(speeds.Out(), QStringLiteral("  7     600 Bd  KQ-3110  v.1.09\n"
                                           "  7  115200 Bd  KQ-3110  v.1.09\n"));
    EXPECT_EQ(speeds.ErrLines().last(), QStringLiteral("Prohledáno kroků: 2, nalezeno modulů: 2."));

    const CliRun none = Run({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("8"),
                             QStringLiteral("--to"), QStringLiteral("8"), QStringLiteral("--udp-timeout"),
                             QStringLiteral("50")});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_TRUE(none.out.isEmpty());
}
