// serkon-cli run as a program against the simulated module, served over UDP and reached through
// the real LAN converter library. Each test has a program folder of its own: a copy of
// serkon-cli (the program folder is where the executable really lies, so a link would not do),
// links to the driver libraries, and a SERKON.ini pointing at the simulator.
#pragma once

#include "Servers.h"

#include "core/Records.h"
#include "core/Settings.h"
#include "tests/support/ProgramFolder.h"
#include "tests/support/SimulatorRecord.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

inline constexpr uint8_t ModuleAddress = 7;

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QString Out() const { return QString::fromUtf8(out); }
    QStringList ErrLines() const
    {
        QStringList lines = QString::fromUtf8(err).split(u'\n');
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        return lines;
    }
    // Empty when the program wrote nothing, so a silent failure fails the check instead of crashing.
    QString LastErrLine() const
    {
        const QStringList lines = ErrLines();
        return lines.isEmpty() ? QString() : lines.last();
    }
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(udp.Listening()) << udp.Failure();
        ASSERT_TRUE(QFile::copy(QStringLiteral(SERKON_CLI_PROGRAM), Program()));
        WriteSettings();
    }

    // SERKON.ini for the LAN converter at the simulator, written by the program's own code.
    void WriteSettings(int32_t udpTimeout = 2000)
    {
        const TData data = SimulatorRecord(udp.Port(), ModuleAddress, udpTimeout);
        ASSERT_TRUE(SaveSettingsTo(Path(QStringLiteral("SERKON.ini")), &data));
    }

    QString Program() const { return folder.FilePath(QFileInfo(QStringLiteral(SERKON_CLI_PROGRAM)).fileName()); }
    QString Path(const QString& name) const { return folder.FilePath(name); }
    // As the program's messages show the path: with the platform's separators.
    QString ShownPath(const QString& name) const { return QDir::toNativeSeparators(Path(name)); }

    QByteArray ReadBytes(const QString& name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void WriteBytes(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    CliRun Run(const QStringList& arguments) const { return RunProgram(Program(), arguments); }

    // The program's copy runs in the program folder. It finds the libraries it was built with in
    // the build's folder: on Windows, where a program's DLLs are looked for beside it and then on
    // PATH, through PATH; the Linux loader finds them by itself.
    void Prepare(QProcess& process) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString built = QFileInfo(QStringLiteral(SERKON_CLI_PROGRAM)).absolutePath();
        environment.insert(QStringLiteral("PATH"), QDir::toNativeSeparators(built) + QDir::listSeparator()
                                                       + environment.value(QStringLiteral("PATH")));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.Directory());
    }

    CliRun RunProgram(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        Prepare(process);
        process.start(program, arguments);
        CliRun run;
        if (!process.waitForStarted() || !process.waitForFinished(60000)) {
            ADD_FAILURE() << "serkon-cli did not run to its end";
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

    uint64_t Requests() const { return module.GetCounters().requests; }

    ProgramFolder folder;
    sim::Module module{"KQ-3110", ModuleAddress};
    sim::UdpServer udp{module};
};
