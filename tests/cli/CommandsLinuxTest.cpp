// Linux: serkon-cli stopped by a signal, on a terminal, and installed as a package installs it.
#include "CliFixture.h"

#include "config/StatusTexts.h"

#include <QFileInfo>

#include <pty.h>
#include <thread>
#include <unistd.h>

TEST_F(CliTest, StatusWatchRepeatsUntilInterrupted)
{
    QProcess process;
    process.setWorkingDirectory(folder.Directory());
    process.start(Program(), {QStringLiteral("status"), QStringLiteral("--watch"), QStringLiteral("--interval"),
                              QStringLiteral("20")});
    QByteArray output;
    const auto waitFor = [&](const QByteArray& text) {
        while (!output.contains(text)) {
            if (!process.waitForReadyRead(10000))
                return false;
            output += process.readAllStandardOutput();
        }
        return true;
    };
    ASSERT_TRUE(waitFor("Status registr: 0x00000000"));
    module.SetStatus(0x00000402);
    ASSERT_TRUE(waitFor("Status registr: 0x00000402"));

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST_F(CliTest, OnATerminalProgressIsOneLineWithABar)
{
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    QByteArray terminal;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(master, buffer, sizeof buffer)) > 0)
            terminal.append(buffer, qsizetype(got));
    });

    QProcess process;
    process.setWorkingDirectory(folder.Directory());
    process.setChildProcessModifier([slave] { ::dup2(slave, STDERR_FILENO); });
    process.start(Program(), {QStringLiteral("read")});
    const bool finished = process.waitForFinished(60000);
    ::close(slave);  // the reader sees the end once no one holds the terminal
    reader.join();
    ::close(master);
    ASSERT_TRUE(finished);
    EXPECT_EQ(process.exitCode(), 0);

    const QString shown = QString::fromUtf8(terminal);
    // Each progress text replaces the last on the same line, with its bar.
    EXPECT_TRUE(shown.contains(QStringLiteral("\r\x1b[K[..............................] ")
                               + ReadProgressText(0).mid(1)));
    EXPECT_TRUE(shown.contains(QStringLiteral("\r\x1b[K[###############...............] ")
                               + ReadProgressText(50).mid(1)));
    EXPECT_TRUE(shown.contains(QStringLiteral("\r\x1b[K[##############################] ")
                               + ReadProgressText(100).mid(1)));
    EXPECT_FALSE(shown.contains(ReadProgressText(50).mid(1) + u'\r' + u'\n'));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("\r\x1b[KKonfigurace přečtena.\r\n")))
        << shown.right(80).toStdString();
    // The profile went to standard output, not to the terminal.
    EXPECT_TRUE(process.readAllStandardOutput().contains("[Konfigurace]"));
}

TEST_F(CliTest, TheInstalledToolFindsItsDriverLibrariesBehindItsLink)
{
    // Staged as a packager installs, so that a folder given as an absolute path (the udev rules
    // of a package build) lands in the staging folder too.
    const QTemporaryDir staging;
    const QDir prefix(staging.filePath(QStringLiteral("opt/serkon")));
    QProcess install;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), staging.path());
    install.setProcessEnvironment(environment);
    install.start(QStringLiteral(SERKON_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(SERKON_BUILD_DIR), QStringLiteral("--prefix"),
                   QStringLiteral("/opt/serkon")});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const QDir programs(prefix.filePath(QStringLiteral(SERKON_INSTALL_DIR)));
    EXPECT_EQ(programs.entryList({QStringLiteral("libRV*.so")}, QDir::Files),
              (QStringList{QStringLiteral("libRVA770.so"), QStringLiteral("libRVB771.so"), QStringLiteral("libRVC772.so"),
                           QStringLiteral("libRVD773.so"), QStringLiteral("libRVS770.so")}));
    EXPECT_TRUE(QFileInfo(programs.filePath(QStringLiteral("serkon"))).isExecutable());
    for (const char* link : {"bin/serkon", "bin/serkon-cli", "bin/serkon-sim"})
        EXPECT_TRUE(QFileInfo(prefix.filePath(QString::fromLatin1(link))).isSymLink()) << link;

    // The settings file lies beside the real executable, as the libraries do.
    ASSERT_TRUE(QFile::copy(Path(QStringLiteral("SERKON.ini")), programs.filePath(QStringLiteral("SERKON.ini"))));
    const CliRun run = RunProgram(prefix.filePath(QStringLiteral("bin/serkon-cli")), {QStringLiteral("identify")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.Out(), QStringLiteral("KQ-3110  v.1.09\n"));
}
