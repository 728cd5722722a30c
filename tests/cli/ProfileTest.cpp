// read and write through profiles: the file format, the round trip through the module, the
// refused profiles, the audit trail and the exit codes of the sequences.
#include "CliFixture.h"

#include "config/Sequences.h"
#include "config/StatusTexts.h"
#include "core/Cp1250.h"
#include "drivers/Transaction.h"
#include "ui/ModelCatalogue.h"

namespace {

const QString Profile = QStringLiteral("profil.ini");
const QString Report = QStringLiteral("audit.csv");

// The body of a profile, from its section on.
QByteArray Body(const QByteArray& profile)
{
    return profile.mid(profile.indexOf("[Konfigurace]"));
}

QByteArray ProfileWith(const QByteArray& body)
{
    return "; upraveno ručně\n" + body;
}

const QByteArray ChangedBody = QString::fromUtf8(
    "[Konfigurace]\n"
    "Model=KQ-3110\n"
    "TxMode=DTR\n"
    "RxMode=RS-485\n"
    "BaudIndex=19200\n"
    "ParityIndex=ne\n"
    "DataBitsIndex=7 bitů\n"
    "StopBitsIndex=dva\n"
    "CustomBaud=500000\n"
    "OverhangMs=12.345\n"
    "Note=Žluťoučký kůň úpěl ďábelské ódy\n").toUtf8();

class CliProfileTest : public CliTest {
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        // A configuration with something in every field: ON / RS-422, custom 9600 Bd, parity,
        // 8 data bits, one stop bit, 0.200 ms, a note with a character outside ASCII.
        module.SetRegister(59, 0x05);
        module.SetRegister(4, 9);
        module.SetRegister(5, 3);
        module.SetRegister(6, 1);
        module.SetRegister(7, 0);
        module.SetRegister(8, 0x80);
        module.SetRegister(9, 0x25);
        module.SetRegister(10, 0);
        module.SetRegister(11, 0xC8);
        module.SetRegister(12, 0);
        SetNote(QStringLiteral("Linka 3 – hala B"));
    }

    void SetNote(const QString& note)
    {
        const QByteArray codes = EncodeCp1250(note.leftJustified(45, u' '));
        for (int i = 0; i < 45; ++i)
            module.SetRegister(13 + i, uint8_t(codes[i]));
    }

    QString Note() const
    {
        QByteArray codes;
        for (int i = 0; i < 45; ++i)
            codes.append(char(module.Register(13 + i)));
        return DecodeCp1250(codes);
    }
};

} // namespace

TEST_F(CliProfileTest, ReadWritesTheProfileWithTheModelsCaptions)
{
    const CliRun run = Run({QStringLiteral("read"), QStringLiteral("-o"), Profile});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty());
    const QByteArray expected = QString::fromUtf8(
        "[Konfigurace]\n"
        "Model=KQ-3110\n"
        "TxMode=ON\n"
        "RxMode=RS-422\n"
        "BaudIndex=Volitelná\n"
        "ParityIndex=ano\n"
        "DataBitsIndex=8 bitů\n"
        "StopBitsIndex=jeden\n"
        "CustomBaud=9600\n"
        "OverhangMs=0.200\n"
        "Note=Linka 3 – hala B\n").toUtf8();
    const QByteArray written = ReadBytes(Profile);
    EXPECT_TRUE(written.startsWith("; "));
    EXPECT_EQ(Body(written), expected);

    // Without -o the profile goes to standard output; another model's lists on request.
    const CliRun toStdout = Run({QStringLiteral("-q"), QStringLiteral("read")});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out, written);
    const CliRun asRz310 = Run({QStringLiteral("-q"), QStringLiteral("read"), QStringLiteral("--model"),
                                QStringLiteral("RZ-310")});
    EXPECT_TRUE(asRz310.Out().contains(QStringLiteral("\nRxMode=RS-485\nBaudIndex=Volitelná\n")));
}

TEST_F(CliProfileTest, ReadShowsTheSequencesTextsOneALineWhenNotOnATerminal)
{
    const CliRun run = Run({QStringLiteral("read"), QStringLiteral("-o"), Profile});
    QStringList expected = {QStringLiteral("Probíhá inicializace připojení"),
                            QStringLiteral("Připojení úspěšně inicializováno. Připojen modul   KQ-3110  v.1.09"),
                            ReadProgressText(0).mid(1)};
    for (int n = 1; n <= ReadStepCount; ++n)
        expected.append(ReadProgressText(n * 100 / ReadStepCount).mid(1));
    expected.append(ReadDoneText.mid(1));
    EXPECT_EQ(run.ErrLines(), expected);
}

TEST_F(CliProfileTest, AChangedProfileIsWrittenAndReadsBackTheSame)
{
    ASSERT_EQ(Run({QStringLiteral("read"), QStringLiteral("-o"), Profile}).exitCode, 0);
    QByteArray changed = ReadBytes(Profile);
    changed = changed.left(changed.indexOf("[Konfigurace]")) + ChangedBody;
    WriteBytes(Profile, changed);

    const CliRun write = Run({QStringLiteral("write"), Profile});
    EXPECT_EQ(write.exitCode, 0);
    EXPECT_EQ(write.LastErrLine(), WriteDoneText.mid(1));
    EXPECT_EQ(write.ErrLines().size(), 2 + 1 + WriteStepCount + 1);
    EXPECT_EQ(module.Register(59), 2);   // DTR, RS-485
    EXPECT_EQ(module.Register(4), 5);    // 19200 Bd
    EXPECT_EQ(module.Register(5), 2);    // 7 data bits
    EXPECT_EQ(module.Register(6), 0);
    EXPECT_EQ(module.Register(7), 1);    // two stop bits
    EXPECT_EQ(module.Register(8) | module.Register(9) << 8 | module.Register(10) << 16, 500000);
    EXPECT_EQ(module.Register(11) | module.Register(12) << 8, 12345);
    EXPECT_EQ(Note(), QStringLiteral("Žluťoučký kůň úpěl ďábelské ódy").leftJustified(45, u' '));

    const QString again = QStringLiteral("znovu.ini");
    ASSERT_EQ(Run({QStringLiteral("read"), QStringLiteral("-o"), again}).exitCode, 0);
    EXPECT_EQ(ReadBytes(again), changed);
}

TEST_F(CliProfileTest, ListFieldsAcceptAnIndexAndCaptionsInAnyLetterCase)
{
    QByteArray body = ChangedBody;
    body.replace("TxMode=DTR", "TxMode=rts").replace("RxMode=RS-485", "RxMode=1");
    body.replace("DataBitsIndex=7 bitů", "DataBitsIndex=0").replace("Model=KQ-3110", "Model=kq-3110");
    WriteBytes(Profile, ProfileWith(body));
    const CliRun run = Run({QStringLiteral("write"), Profile});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(module.Register(59), 7);  // RTS, RS-422
    EXPECT_EQ(module.Register(5), 0);
    EXPECT_FALSE(QString::fromUtf8(run.err).contains(QStringLiteral("Pozor")));
}

TEST_F(CliProfileTest, WritingAnotherModelsProfileIsPointedOut)
{
    module.SetIdentity("KQ-3140", "1.02");
    WriteBytes(Profile, ProfileWith(ChangedBody));
    const CliRun run = Run({QStringLiteral("-q"), QStringLiteral("write"), Profile});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.ErrLines(),
              QStringList{QStringLiteral("Pozor: profil je pro model KQ-3110, připojený modul je KQ-3140.")});
}

TEST_F(CliProfileTest, AModelWithoutModeListsKeepsTheModesAsNumbers)
{
    module.SetIdentity("KQ-3230", "1.02");
    const CliRun read = Run({QStringLiteral("-q"), QStringLiteral("read")});
    ASSERT_EQ(read.exitCode, 0);
    EXPECT_TRUE(read.Out().contains(QStringLiteral("Model=KQ-3230\nTxMode=1\nRxMode=1\nBaudIndex=Volitelná\n")));

    WriteBytes(Profile, read.out);
    module.SetRegister(59, 0);
    ASSERT_EQ(Run({QStringLiteral("write"), Profile}).exitCode, 0);
    EXPECT_EQ(module.Register(59), 5);
}

TEST_F(CliProfileTest, KQ3230ModesBeyondWhatTheWriteTakesAreRefusedNamingTheLine)
{
    module.SetIdentity("KQ-3230", "1.02");
    const auto profile = [](const char* tx, const char* rx) {
        QByteArray body = ChangedBody;
        body.replace("Model=KQ-3110", "Model=KQ-3230").replace("BaudIndex=19200", "BaudIndex=19200 Bd");
        return ProfileWith(body.replace("TxMode=DTR", tx).replace("RxMode=RS-485", rx));
    };
    WriteBytes(Profile, profile("TxMode=4", "RxMode=1"));
    const CliRun tx = Run({QStringLiteral("write"), Profile});
    EXPECT_EQ(tx.exitCode, 6);
    EXPECT_EQ(tx.ErrLines(), QStringList{QStringLiteral("profil.ini: řádek 4: TxMode musí být číslo 0 až 3.")});

    WriteBytes(Profile, profile("TxMode=0", "RxMode=3"));
    const CliRun rx = Run({QStringLiteral("write"), Profile});
    EXPECT_EQ(rx.exitCode, 6);
    EXPECT_EQ(rx.ErrLines(), QStringList{QStringLiteral("profil.ini: řádek 5: RxMode musí být číslo 0 až 2.")});

    WriteBytes(Profile, profile("TxMode=255", "RxMode=0"));
    EXPECT_EQ(Run({QStringLiteral("write"), Profile}).exitCode, 6);
    EXPECT_EQ(Requests(), 0u);

    // The highest modes the write takes: register 59 = 1 × 4 + 3.
    WriteBytes(Profile, profile("TxMode=3", "RxMode=1"));
    ASSERT_EQ(Run({QStringLiteral("-q"), QStringLiteral("write"), Profile}).exitCode, 0);
    EXPECT_EQ(module.Register(59), 7);
}

TEST_F(CliProfileTest, ReceiveModeTwoIsWrittenWithAWarningThatAReadShowsEntryZero)
{
    module.SetIdentity("RZ-310", "1.00");
    QByteArray body = ChangedBody;
    body.replace("Model=KQ-3110", "Model=RZ-310").replace("RxMode=RS-485", "RxMode=RS-485 ECHO");
    body.replace("BaudIndex=19200", "BaudIndex=19200 Bd");
    WriteBytes(Profile, ProfileWith(body));
    const CliRun write = Run({QStringLiteral("-q"), QStringLiteral("write"), Profile});
    EXPECT_EQ(write.exitCode, 0);
    EXPECT_EQ(write.ErrLines(),
              QStringList{QStringLiteral("profil.ini: řádek 5: Pozor: RxMode „RS-485 ECHO“ se do modulu zapíše, "
                                         "ale pozdější čtení konfigurace ukáže „RS-422“ (registr 59 ho nese v bitu, "
                                         "který čtení nevyhodnocuje).")});
    EXPECT_EQ(module.Register(59), 2 * 4 + 2);  // RS-485 ECHO, DTR

    const CliRun read = Run({QStringLiteral("-q"), QStringLiteral("read")});
    ASSERT_EQ(read.exitCode, 0);
    EXPECT_TRUE(read.Out().contains(QStringLiteral("\nTxMode=DTR\nRxMode=RS-422\n"))) << read.Out().toStdString();

    // The same for KQ-3230, which keeps the modes as numbers; the other entries pass quietly.
    module.SetIdentity("KQ-3230", "1.02");
    body.replace("Model=RZ-310", "Model=KQ-3230").replace("TxMode=DTR", "TxMode=1");
    WriteBytes(Profile, ProfileWith(QByteArray(body).replace("RxMode=RS-485 ECHO", "RxMode=2")));
    const CliRun numbered = Run({QStringLiteral("-q"), QStringLiteral("write"), Profile});
    EXPECT_EQ(numbered.exitCode, 0);
    EXPECT_EQ(numbered.ErrLines(),
              QStringList{QStringLiteral("profil.ini: řádek 5: Pozor: RxMode „2“ se do modulu zapíše, ale pozdější "
                                         "čtení konfigurace ukáže „0“ (registr 59 ho nese v bitu, který čtení "
                                         "nevyhodnocuje).")});
    WriteBytes(Profile, ProfileWith(QByteArray(body).replace("RxMode=RS-485 ECHO", "RxMode=1")));
    const CliRun plain = Run({QStringLiteral("-q"), QStringLiteral("write"), Profile});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_TRUE(plain.err.isEmpty()) << plain.err.toStdString();
}

TEST_F(CliProfileTest, BadProfilesAreRefusedNamingTheLineBeforeAnyTraffic)
{
    struct Case {
        const char* what;
        QByteArray profile;
        QString message;
    };
    const auto with = [](const char* from, const char* to) {
        QByteArray body = ChangedBody;
        return ProfileWith(body.replace(from, to));
    };
    QByteArray cp1250 = ProfileWith(ChangedBody);
    cp1250.replace(QString::fromUtf8("Žluťoučký").toUtf8(), EncodeCp1250(QString::fromUtf8("Žluťoučký")));
    const std::vector<Case> cases = {
        {"unknown model", with("Model=KQ-3110", "Model=KQ-3999"),
         QStringLiteral("profil.ini: řádek 3: Neznámý model „KQ-3999“")},
        {"unknown key", with("CustomBaud=", "Speed=9600\nCustomBaud="),
         QStringLiteral("profil.ini: řádek 10: Neznámý klíč „Speed“.")},
        {"duplicate key", with("CustomBaud=", "Note=x\nCustomBaud="),
         QStringLiteral("profil.ini: řádek 13: Klíč Note je v sekci podruhé (poprvé na řádku 10).")},
        {"missing key", with("StopBitsIndex=dva\n", ""),
         QStringLiteral("profil.ini: V sekci [Konfigurace] chybí klíč StopBitsIndex.")},
        {"stray line", with("CustomBaud=", "rychlost 9600\nCustomBaud="),
         QStringLiteral("profil.ini: řádek 10: Řádek není ani [sekce], ani klíč=hodnota.")},
        {"speed out of range", with("CustomBaud=500000", "CustomBaud=500001"),
         QStringLiteral("profil.ini: řádek 10: Komunikační rychlost musí být v rozsahu 300-500000 Bd.")},
        {"hold time with a comma", with("OverhangMs=12.345", "OverhangMs=12,345"),
         QStringLiteral("profil.ini: řádek 11: Chybné zadání přesahu (ověřte desetinnou tečku resp. čárku).")},
        {"hold time out of range", with("OverhangMs=12.345", "OverhangMs=65.001"),
         QStringLiteral("profil.ini: řádek 11: Přesah musí být v rozsahu 0-65 ms.")},
        {"caption not in the list", with("TxMode=DTR", "TxMode=AUTO"),
         QStringLiteral("profil.ini: řádek 4: TxMode: „AUTO“ není v seznamu modelu KQ-3110 (ZEMO, ON, DTR, RTS)")},
        {"index beyond the list", with("ParityIndex=ne", "ParityIndex=2"),
         QStringLiteral("profil.ini: řádek 7: ParityIndex: „2“ není v seznamu modelu KQ-3110 (ne, ano)")},
        {"note too long", with("Note=Žluťoučký", "Note=0123456789012345Žluťoučký"),
         QStringLiteral("profil.ini: řádek 12: Poznámka má 47 znaků, modul jich pojme nejvýš 45.")},
        {"note the module cannot hold", with("Note=Žluťoučký", "Note=Ωmega"),
         QStringLiteral("profil.ini: řádek 12: Poznámka obsahuje znak „Ω“, který modul neumí uložit.")},
        {"not UTF-8", cp1250, QStringLiteral("profil.ini: řádek 12: Soubor není v kódování UTF-8.")},
        {"the derived hold time", with("OverhangMs=12.345", "OverhangMs=40"),
         QStringLiteral("profil.ini: Chyba ZEMO - přesah nelze nastavit")},
        {"the derived character time",
         with("BaudIndex=19200", "BaudIndex=Volitelná").replace("500000", "300").replace("7 bitů", "8 bitů"),
         QStringLiteral("profil.ini: Chyba ZEMO - čas nelze nastavit")},
    };
    for (const Case& c : cases) {
        WriteBytes(Profile, c.profile);
        const CliRun run = Run({QStringLiteral("write"), Profile});
        EXPECT_EQ(run.exitCode, 6) << c.what;
        ASSERT_FALSE(run.ErrLines().isEmpty()) << c.what;
        EXPECT_TRUE(run.LastErrLine().startsWith(c.message))
            << c.what << ": " << run.LastErrLine().toStdString();
    }
    EXPECT_EQ(Requests(), 0u);

    const CliRun missing = Run({QStringLiteral("write"), QStringLiteral("chybi.ini")});
    EXPECT_EQ(missing.exitCode, 6);
    EXPECT_EQ(Requests(), 0u);
}

TEST_F(CliProfileTest, FailedReadsAndWritesEndWithCodeFourOrFive)
{
    module.SetCommandStatus(CmdReadRegister, 4);
    const CliRun read = Run({QStringLiteral("read"), QStringLiteral("-o"), Profile});
    EXPECT_EQ(read.exitCode, 4);
    EXPECT_EQ(read.LastErrLine(), QStringLiteral("Modul je zaneprázdněn - opakujte akci"));
    EXPECT_FALSE(QFile::exists(Path(Profile)));
    module.ClearFaults();

    WriteBytes(Profile, ProfileWith(ChangedBody));
    module.SetCommandStatus(CmdWriteRegister, 3);
    const CliRun write = Run({QStringLiteral("write"), Profile});
    EXPECT_EQ(write.exitCode, 4);
    EXPECT_EQ(write.LastErrLine(), QStringLiteral("Modul odmítl zapisovanou hodnotu"));
    module.ClearFaults();

    module.SetReadBackValue(6, 9);
    const CliRun mismatch = Run({QStringLiteral("write"), Profile});
    EXPECT_EQ(mismatch.exitCode, 5);
    EXPECT_EQ(mismatch.LastErrLine(), WriteMismatchText.mid(1));
    EXPECT_EQ(module.Register(4), 5);  // written before the register that failed
    EXPECT_EQ(module.Register(7), 0);  // not reached
}

TEST_F(CliProfileTest, AnOutputFileThatCannotBeWrittenEndsWithCodeOne)
{
    const CliRun run = Run({QStringLiteral("read"), QStringLiteral("-o"), Path(QStringLiteral("no/such/dir/p.ini"))});
    EXPECT_EQ(run.exitCode, 1);
}

TEST_F(CliProfileTest, WriteReportAppendsALinePerRun)
{
    WriteBytes(Profile, ProfileWith(ChangedBody));
    ASSERT_EQ(Run({QStringLiteral("write"), Profile, QStringLiteral("--report"), Report}).exitCode, 0);
    module.SetReadBackValue(6, 9);
    ASSERT_EQ(Run({QStringLiteral("write"), Profile, QStringLiteral("--report"), Report}).exitCode, 5);
    module.ClearFaults();
    WriteBytes(QStringLiteral("zly.ini"), ProfileWith(QByteArray(ChangedBody).replace("KQ-3110", "KQ-1")));
    ASSERT_EQ(Run({QStringLiteral("write"), QStringLiteral("zly.ini"), QStringLiteral("--report"), Report}).exitCode, 6);

    const QStringList lines = QString::fromUtf8(ReadBytes(Report)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5);  // header, three runs, nothing after the last line end
    EXPECT_EQ(lines[0], QStringLiteral("čas,rozhraní,adresa,modul,výsledek,kód,registr"));
    const QString lan = QStringLiteral("LAN konvertor RVD-773 (127.0.0.1:%1)").arg(udp.Port());
    const auto fields = [](const QString& line) { return line.section(u',', 1); };
    EXPECT_EQ(fields(lines[1]), lan + QStringLiteral(",7,KQ-3110  v.1.09,Konfigurace zapsána.,0,"));
    EXPECT_EQ(fields(lines[2]), lan + QStringLiteral(",7,KQ-3110  v.1.09,Chyba zápisu dat.,5,6"));
    EXPECT_TRUE(fields(lines[3]).startsWith(lan + QStringLiteral(",7,,\"zly.ini: řádek 3: Neznámý model „KQ-1“")))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral(",6,")));
    EXPECT_TRUE(lines[1].section(u',', 0, 0).contains(u'T'));  // ISO 8601 time
}

TEST_F(CliProfileTest, RefusedAndUnconnectedWritesAreRecordedToo)
{
    WriteBytes(Profile, ProfileWith(ChangedBody));
    const auto write = [&](const QStringList& more) {
        return Run(QStringList{QStringLiteral("write")} + more + QStringList{QStringLiteral("--report"), Report});
    };
    EXPECT_EQ(write({Profile, QStringLiteral("--com"), QStringLiteral("3")}).exitCode, 2);  // LAN in SERKON.ini
    EXPECT_EQ(write({Profile, QStringLiteral("--address"), QStringLiteral("256")}).exitCode, 2);
    EXPECT_EQ(write({}).exitCode, 2);
    EXPECT_EQ(write({Profile, QStringLiteral("--address"), QStringLiteral("9"), QStringLiteral("--udp-timeout"),
                     QStringLiteral("50")})
                  .exitCode,
              3);
    // A command line the tool cannot read at all names no run to record.
    EXPECT_EQ(write({Profile, QStringLiteral("--bogus")}).exitCode, 2);
    EXPECT_EQ(Requests(), 2u);  // the two attempts at address 9

    const QStringList lines = QString::fromUtf8(ReadBytes(Report)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6) << lines.join(u'|').toStdString();
    const QString lan = QStringLiteral("LAN konvertor RVD-773 (127.0.0.1:%1)").arg(udp.Port());
    const auto fields = [](const QString& line) { return line.section(u',', 1); };
    EXPECT_EQ(fields(lines[1]), lan + QStringLiteral(",7,,--com neplatí pro rozhraní „LAN konvertor RVD-773“.,2,"));
    EXPECT_EQ(fields(lines[2]), lan + QStringLiteral(",7,,--address: adresa modulu musí být 0 až 255.,2,"));
    EXPECT_EQ(fields(lines[3]), lan + QStringLiteral(",7,,Příkaz write potřebuje soubor profilu.,2,"));
    EXPECT_TRUE(fields(lines[4]).startsWith(lan + QStringLiteral(",9,,\"Modul neodpovídá"))) << lines[4].toStdString();
    EXPECT_TRUE(lines[4].endsWith(QStringLiteral(",3,")));
    EXPECT_TRUE(lines[5].isEmpty());
}

TEST(ModelCatalogue, FindsAModelRegardlessOfLetterCase)
{
    ASSERT_NE(FindModel("KQ-3230"), nullptr);
    EXPECT_EQ(FindModel("kq-3230"), FindModel("KQ-3230"));
    EXPECT_EQ(FindModel("rz-310"), FindModel("RZ-310"));
    EXPECT_STREQ(FindModel("Kq-3110")->model, "KQ-3110");
    EXPECT_EQ(FindModel("KQ-323"), nullptr);
    EXPECT_EQ(FindModel("KQ-32300"), nullptr);
    EXPECT_EQ(FindModel(""), nullptr);
}
