// scan over a serial line with several modules at their addresses and speeds, and what scan
// --store and settings --save leave in SERKON.ini.
#include "CliFixture.h"

#include "core/Cp1250.h"
#include "tests/support/SimulatedBus.h"

#include <memory>

namespace {

class CliScanTest : public CliTest {
protected:
    // The modules on a line served as COM1 of the program folder.
    void Line(const std::vector<PlacedModule>& placed)
    {
        bus = std::make_unique<SimulatedBus>(placed, sim::ComLink(folder.Path(), 1));
        ASSERT_TRUE(bus->Server().Listening()) << bus->Server().Failure();
    }

    // A margin that a busy test machine's scheduling stays well within: what the default one is
    // worth is the benchmark's to show.
    static QStringList ScanArguments(const QString& to, const QString& speeds)
    {
        return {QStringLiteral("scan"), QStringLiteral("--interface"), QStringLiteral("com"), QStringLiteral("--com"),
                QStringLiteral("1"), QStringLiteral("--margin"), QStringLiteral("15"), QStringLiteral("--to"), to,
                QStringLiteral("--speeds"), speeds};
    }

    CliRun Scan(const QString& to, const QString& speeds, QStringList more = {}) const
    {
        return Run(ScanArguments(to, speeds) + more);
    }

    // The module lines in address order, whichever pass found them.
    static QStringList Sorted(const CliRun& run)
    {
        QStringList lines = run.Out().split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        return lines;
    }

    void WriteIni(const QString& text) { WriteBytes(QStringLiteral("SERKON.ini"), EncodeCp1250(text)); }
    std::string ReadIni() const { return DecodeCp1250(ReadBytes(QStringLiteral("SERKON.ini"))).toStdString(); }

    std::unique_ptr<SimulatedBus> bus;
};

// A file the program wrote once, with what a user added by hand.
const QString Stored = QStringLiteral(
    "; spravuje SERKON\n"
    "[Připojení]\n"
    "Rozhraní=RVD-773\n"
    "Adresa=7\n"
    "Poznámka=dílna\n"
    "Rychlost=9600\n"
    "\n"
    "[RVD-773]\n"
    "IP adresa=10.0.0.9\n"
    "UDP port=5000\n"
    "UDP timeout=100\n"
    "[Vlastní]\n"
    "klíč = hodnota\n");

} // namespace

TEST_F(CliScanTest, ListsEveryModuleAtItsAddressAndSpeedAndAddressZeroForWhatItIs)
{
    Line({{3, "KQ-3110", 19200}, {42, "RZ-310", 19200}, {44, "KQ-3230", 115200}, {30, "KQ-3140", 9600}});
    const CliRun run = Scan(QStringLiteral("45"), QStringLiteral("19200,115200"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Sorted(run), (QStringList{QStringLiteral("  3   19200 Bd  KQ-3110  v.1.09"),
                                        QStringLiteral(" 42   19200 Bd  RZ-310   v.2.00"),
                                        QStringLiteral(" 44  115200 Bd  KQ-3230  v.1.02")}));
    const QStringList err = run.ErrLines();
    EXPECT_TRUE(err.contains(QStringLiteral(
        "19200 Bd, adresa 0 (odpovídá na ni každý modul): odpovědi se srazily, odpovídá více modulů")));
    EXPECT_TRUE(err.contains(QStringLiteral("115200 Bd, adresa 0 (odpovídá na ni každý modul): odpověděl "
                                            "KQ-3230  v.1.02, není to další modul")));
    EXPECT_EQ(run.LastErrLine(), QStringLiteral("Prohledáno kroků: 92, nalezeno modulů: 3."));
}

TEST_F(CliScanTest, FindsAModuleWhoseFirstAnswerIsLostOrGarbled)
{
    Line({{5, "KQ-3110", 19200}, {12, "RZ-310", 115200}});
    bus->Module(0).DropReplies(1);
    bus->Module(1).CorruptReplies(1);
    const CliRun run = Scan(QStringLiteral("20"), QStringLiteral("19200,115200"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Sorted(run), (QStringList{QStringLiteral("  5   19200 Bd  KQ-3110  v.1.09"),
                                        QStringLiteral(" 12  115200 Bd  RZ-310   v.2.00")}));
    // The first one only in the second pass, which address 0 answering asks for.
    EXPECT_FALSE(run.ErrLines().filter(QStringLiteral("adresa 5, 19200 Bd, 2. průchod")).isEmpty());
}

TEST_F(CliScanTest, StoreAndSaveChangeOnlyTheKeysTheProgramWrites)
{
    Line({{5, "KQ-3110", 19200}});
    WriteIni(Stored);
    const CliRun store = Scan(QStringLiteral("10"), QStringLiteral("9600,19200"), {QStringLiteral("--store")});
    EXPECT_EQ(store.exitCode, 0) << store.err.toStdString();
    EXPECT_EQ(store.LastErrLine(), QStringLiteral("Do %1 uloženo: adresa 5, 19200 Bd.").arg(ShownPath(QStringLiteral("SERKON.ini"))));
    QString afterStore = Stored;
    afterStore.replace(QStringLiteral("Rozhraní=RVD-773"), QStringLiteral("Rozhraní=COMx"))
        .replace(QStringLiteral("Adresa=7"), QStringLiteral("Adresa=5"))
        .replace(QStringLiteral("Rychlost=9600"), QStringLiteral("Rychlost=19200"));
    afterStore += QStringLiteral("\n[COMx]\nČíslo portu=1\n");
    EXPECT_EQ(ReadIni(), afterStore.toStdString());
    // The connection dialog's attempt with the stored settings reaches the module.
    EXPECT_EQ(Run({QStringLiteral("identify")}).Out(), QStringLiteral("KQ-3110  v.1.09\n"));

    const CliRun save = Run({QStringLiteral("settings"), QStringLiteral("--interface"), QStringLiteral("lan"),
                             QStringLiteral("--udp-port"), QStringLiteral("6000"), QStringLiteral("--address"),
                             QStringLiteral("9"), QStringLiteral("--save")});
    EXPECT_EQ(save.exitCode, 0) << save.err.toStdString();
    QString afterSave = afterStore;
    afterSave.replace(QStringLiteral("Rozhraní=COMx"), QStringLiteral("Rozhraní=RVD-773"))
        .replace(QStringLiteral("Adresa=5"), QStringLiteral("Adresa=9"))
        .replace(QStringLiteral("UDP port=5000"), QStringLiteral("UDP port=6000"));
    EXPECT_EQ(ReadIni(), afterSave.toStdString());
    EXPECT_EQ(Run({QStringLiteral("settings")}).Out(),
              QStringLiteral("interface=lan\naddress=9\nspeed=19200\nip=10.0.0.9\nudp-port=6000\nudp-timeout=100\n"));
}

TEST_F(CliScanTest, StoreAndSaveRefuseAndLeaveTheFileAsItWas)
{
    Line({{5, "KQ-3110", 19200}, {6, "RZ-310", 19200}});
    const struct {
        QStringList arguments;
        QString ini;
        int exitCode;
        QString message;
    } cases[] = {
        {ScanArguments(QStringLiteral("8"), QStringLiteral("115200")) << QStringLiteral("--store"), Stored, 3, QStringLiteral("Nebyl nalezen žádný modul, do SERKON.ini se nic neukládá.")},
        {ScanArguments(QStringLiteral("8"), QStringLiteral("19200")) << QStringLiteral("--store"), Stored, 1,
         QStringLiteral("Nalezeno modulů: 2, do SERKON.ini lze uložit jen jeden. Hledání zužte volbami --from, "
                        "--to a --speeds.")},
        {{QStringLiteral("settings"), QStringLiteral("--save")},
         QString(Stored).replace(QStringLiteral("UDP port=5000"), QStringLiteral("UDP port=70000")), 3,
         QStringLiteral("Neplatný UDP port")},
    };
    for (const auto& test : cases) {
        WriteIni(test.ini);
        const CliRun run = Run(test.arguments);
        EXPECT_EQ(run.exitCode, test.exitCode) << test.message.toStdString();
        EXPECT_EQ(run.LastErrLine(), test.message);
        EXPECT_EQ(ReadIni(), test.ini.toStdString());
    }
}

TEST_F(CliScanTest, AnInterruptedScanEndsWithCodeOneHundredThirtyAndSaysHowFarItGot)
{
    Line({{200, "KQ-3110", 19200}});
    QProcess process;
    process.setWorkingDirectory(folder.Directory());
    process.setReadChannel(QProcess::StandardError);
    process.start(Program(), {QStringLiteral("scan"), QStringLiteral("--interface"), QStringLiteral("com"),
                              QStringLiteral("--com"), QStringLiteral("1"), QStringLiteral("--speeds"),
                              QStringLiteral("19200")});
    QByteArray err;
    while (!err.contains("adresa 3,")) {
        ASSERT_TRUE(process.waitForReadyRead(10000));
        err += process.readAllStandardError();
    }
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 130);
    err += process.readAllStandardError();
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("Hledání přerušeno (kroků: ")));
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty()) << "the module at 200 was not reached";
}
