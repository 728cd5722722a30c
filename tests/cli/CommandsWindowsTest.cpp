// Windows: serkon-cli stopped by Ctrl+C in the console it shares with the test, and the ports
// commands where the driver libraries open the COM ports themselves.
#include "CliFixture.h"
#include "OwnConsole.h"

#include <QProcess>

namespace {

struct Interrupted {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class CliInConsole : public CliTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(console.Ready());
        CliTest::SetUp();
    }

    // Runs serkon-cli in the test's console until the channel shows the text, then presses Ctrl+C.
    Interrupted RunUntilThenCtrlC(const QStringList& arguments, QProcess::ProcessChannel channel,
                                  const QByteArray& text) const
    {
        QProcess process;
        Prepare(process);
        // Without a console window of its own the test's console is not shared unless asked.
        process.setCreateProcessArgumentsModifier(
            [](QProcess::CreateProcessArguments* created) { created->flags &= ~DWORD(CREATE_NO_WINDOW); });
        process.setReadChannel(channel);
        process.start(Program(), arguments);
        Interrupted run;
        QByteArray seen;
        while (!seen.contains(text)) {
            if (!process.waitForReadyRead(10000))
                break;
            seen += process.readAll();
        }
        EXPECT_TRUE(seen.contains(text)) << seen.toStdString();
        EXPECT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
        run.finished = process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit;
        if (!run.finished) {
            process.kill();
            process.waitForFinished();
        }
        run.exitCode = process.exitCode();
        (channel == QProcess::StandardOutput ? run.out : run.err) = seen;
        run.out += process.readAllStandardOutput();
        run.err += process.readAllStandardError();
        return run;
    }

    const OwnConsole console;
};

} // namespace

// Catches a watch that Ctrl+C kills (no exit code of its own) or that does not stop.
TEST_F(CliInConsole, StatusWatchEndsInOrderOnCtrlC)
{
    const Interrupted run = RunUntilThenCtrlC({QStringLiteral("status"), QStringLiteral("--watch"),
                                               QStringLiteral("--interval"), QStringLiteral("20")},
                                              QProcess::StandardOutput, "Status registr: 0x00000000");
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
}

TEST_F(CliInConsole, AScanStoppedByCtrlCEndsWithCode130AndKeepsWhatItFound)
{
    WriteSettings(300);
    const Interrupted run = RunUntilThenCtrlC({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("5")},
                                              QProcess::StandardError, "adresa 9,");
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_EQ(QString::fromUtf8(run.out), QStringLiteral("  7    9600 Bd  KQ-3110  v.1.09\n"));
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(QStringLiteral("Hledání přerušeno (kroků: ")))
        << run.err.toStdString();
}

// Catches a ports link that makes links nothing reads, and Linux's paths in the Windows help.
TEST_F(CliTest, PortsLinkIsRefusedAndTheHelpTellsWhatWindowsHas)
{
    const CliRun link = Run({QStringLiteral("ports"), QStringLiteral("link"), QStringLiteral("com3"),
                             QStringLiteral("COM3")});
    EXPECT_EQ(link.exitCode, 2);
    EXPECT_EQ(link.ErrLines(), QStringList{QStringLiteral(
                                   "serkon-cli: Příkaz ports link je jen pro Linux: ve Windows ovladače "
                                   "otevírají porty COMx přímo.")});
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("ports"))));

    const CliRun ports = Run({QStringLiteral("ports")});
    EXPECT_EQ(ports.exitCode, 0) << ports.err.toStdString();
    EXPECT_TRUE(ports.Out().startsWith(QStringLiteral("Sériové porty"))) << ports.Out().toStdString();
    EXPECT_FALSE(ports.Out().contains(QStringLiteral("Odkazy")));

    for (const QStringList& asked : {QStringList{}, QStringList{QStringLiteral("ports")},
                                     QStringList{QStringLiteral("ports"), QStringLiteral("link")}}) {
        const CliRun help = Run(asked + QStringList{QStringLiteral("--help")});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_FALSE(help.Out().contains(QStringLiteral("/dev/"))) << asked.join(u' ').toStdString();
        EXPECT_FALSE(help.Out().contains(QStringLiteral("odkaz ve složce"))) << asked.join(u' ').toStdString();
    }
    EXPECT_TRUE(Run({QStringLiteral("ports"), QStringLiteral("link"), QStringLiteral("--help")})
                    .Out()
                    .contains(QStringLiteral("jen v Linuxu")));
}
