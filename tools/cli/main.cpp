// serkon-cli: identify, read, write, status and bus scan of SERKON modules from the command
// line, through the program's own connection, sequences and checks.
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Progress.h"
#include "StandardStreams.h"

#include <QCoreApplication>

namespace {

int Run(const Options& options)
{
    ProgressOutput output(ProgressOutput::StyleFor(options.quiet));
    switch (options.command) {
    case Command::Identify:
        return RunIdentify(options, output);
    case Command::Read:
        return RunRead(options, output);
    case Command::Write:
        return RunWrite(options, output);
    case Command::Status:
        return RunStatus(options, output);
    case Command::ClearStatus:
        return RunClearStatus(options, output);
    case Command::Scan:
        return RunScan(options, output);
    case Command::Settings:
        return RunSettings(options, output);
    case Command::Ports:
        return RunPorts(options, output);
    case Command::LinkPort:
        return RunLinkPort(options, output);
    }
    return ExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const CommandLine line = ParseCommandLine(QCoreApplication::arguments());
    switch (line.action) {
    case CommandLine::Action::ShowText:
        PrintOut(line.text);
        return ExitSuccess;
    case CommandLine::Action::UsageError: {
        Write(Stream::Err, QStringLiteral("serkon-cli: %1\n").arg(line.text).toUtf8());
        ProgressOutput output(ProgressOutput::Style::Silent);
        return RecordRefusedWrite(line.options, line.text, output);
    }
    case CommandLine::Action::Run:
        break;
    }
    return Run(line.options);
}
