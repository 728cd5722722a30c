// The commands in the process, through the scripted test driver: a driver that opens but
// refuses the bus speed ends every command with code 3 and the connection dialog's text.
#include "tools/cli/Commands.h"
#include "tools/cli/ExitCodes.h"

#include "TestDrivers.h"

#include "core/Settings.h"
#include "tests/support/ProgramFolder.h"
#include "tests/support/SimulatorRecord.h"

#include <gtest/gtest.h>

namespace {

using testdriver::CallsTo;
using testdriver::CurrentScript;

class CliConfigureStep : public ::testing::Test {
protected:
    void SetUp() override
    {
        testdriver::Reset();
        const TData settings = SimulatorRecord(5000, 7, 100);
        ASSERT_TRUE(SaveSettingsTo(folder.SettingsPath(), &settings));
        CurrentScript().setConfigResult = 60;
    }

    // The command's exit code and the last line it wrote to standard error.
    std::pair<int, std::string> Run(int (*command)(const Options&, ProgressOutput&), const Options& options)
    {
        ::testing::internal::CaptureStderr();
        int code = -1;
        {
            ProgressOutput output(ProgressOutput::Style::Lines);
            code = command(options, output);
        }
        std::string err = ::testing::internal::GetCapturedStderr();
        if (!err.empty() && err.back() == '\n')
            err.pop_back();
        return {code, err.substr(err.rfind('\n') + 1)};
    }

    ProgramFolder folder{TestDriverDirectory("full")};
};

const std::string RefusedSpeed = "Chyba inicializace připojení - chyba ovladače 60";

} // namespace

TEST_F(CliConfigureStep, EveryCommandEndsWithCodeThreeWithoutTraffic)
{
    const std::pair<Command, int (*)(const Options&, ProgressOutput&)> commands[] = {
        {Command::Identify, RunIdentify},
        {Command::Read, RunRead},
        {Command::Status, RunStatus},
        {Command::ClearStatus, RunClearStatus},
    };
    for (const auto& [command, run] : commands) {
        Options options;
        options.command = command;
        const auto [code, lastLine] = Run(run, options);
        EXPECT_EQ(code, ExitConnectionFailed) << int(command);
        EXPECT_EQ(lastLine, RefusedSpeed) << int(command);
    }
    EXPECT_EQ(CallsTo("SetConfig").size(), 4u);
    EXPECT_EQ(CallsTo("Done").size(), 4u);  // the refused connection is closed each time
    EXPECT_TRUE(CallsTo("Send").empty());
}

TEST_F(CliConfigureStep, ScanStopsAtTheFirstRefusal)
{
    Options options;
    options.command = Command::Scan;
    options.fromAddress = 1;
    options.toAddress = 200;
    const auto [code, lastLine] = Run(RunScan, options);
    EXPECT_EQ(code, ExitConnectionFailed);
    EXPECT_EQ(lastLine, RefusedSpeed);
    EXPECT_EQ(CallsTo("SetConfig").size(), 1u);
    EXPECT_TRUE(CallsTo("Send").empty());
}

TEST_F(CliConfigureStep, WriteRecordsTheRefusal)
{
    const QString profile = folder.FilePath(QStringLiteral("profil.ini"));
    const QString report = folder.FilePath(QStringLiteral("audit.csv"));
    QFile file(profile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Konfigurace]\nModel=KQ-3110\nTxMode=ON\nRxMode=RS-422\nBaudIndex=9600\nParityIndex=ne\n"
               "DataBitsIndex=0\nStopBitsIndex=jeden\nCustomBaud=9600\nOverhangMs=0\nNote=\n");
    file.close();

    Options options;
    options.command = Command::Write;
    options.profileFile = profile;
    options.reportFile = report;
    const auto [code, lastLine] = Run(RunWrite, options);
    EXPECT_EQ(code, ExitConnectionFailed);
    EXPECT_EQ(lastLine, RefusedSpeed);
    EXPECT_TRUE(CallsTo("Send").empty());

    QFile written(report);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString line = QString::fromUtf8(written.readAll()).split(QStringLiteral("\r\n")).value(1);
    EXPECT_TRUE(line.endsWith(QStringLiteral(",7,,") + QString::fromStdString(RefusedSpeed) + QStringLiteral(",3,")))
        << line.toStdString();
}
