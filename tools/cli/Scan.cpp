// scan: the connection dialog's attempt at every address (and bus speed) asked for. An address
// without a module costs the driver's time-out (and the LAN converter's) for each of its
// attempts, so a long scan shows how far it is and how long it will still take.
#include "Commands.h"
#include "ExitCodes.h"
#include "Interrupt.h"
#include "ScanEstimate.h"
#include "Session.h"

#include "drivers/DriverContract.h"
#include "drivers/SpeedTables.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

QString DurationText(std::chrono::seconds time)
{
    const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(time);
    const auto seconds = time - minutes;
    if (minutes.count() == 0)
        return QStringLiteral("%1 s").arg(seconds.count());
    return QStringLiteral("%1 min %2 s").arg(minutes.count()).arg(seconds.count());
}

QString TimeLeftText(ScanEstimate::Duration left)
{
    return QStringLiteral(", zbývá asi ") + DurationText(std::chrono::ceil<std::chrono::seconds>(left));
}

// What an address without a module costs at the speed: the driver option the program passes is
// the number of attempts per transaction, and each attempt waits the speed's time-out, through
// the LAN converter its UDP time-out on top.
ScanEstimate::Duration EmptyStepTime(const ConnectionInput& input, uint8_t speedIndex)
{
    int32_t network = 0;
    if (input.interfaceType == InterfaceLan)
        network = UdpValueFromText(input.parameters[2]).value_or(0);
    return ScanEstimate::Duration(SERKON_DRIVER_OPTION * (TimeoutFromIndex(speedIndex) + network));
}

ScanEstimate EstimateFor(const Options& options, const ConnectionInput& input, const std::vector<uint8_t>& speeds)
{
    std::vector<ScanEstimate::Duration> steps;
    for (const uint8_t speed : speeds) {
        for (int address = options.fromAddress; address <= options.toAddress; ++address)
            steps.push_back(EmptyStepTime(input, speed));
    }
    return ScanEstimate(std::move(steps));
}

QString FoundLine(uint8_t address, uint8_t speedIndex, const QString& moduleName)
{
    return QStringLiteral("%1  %2 Bd  %3\n")
        .arg(address, 3)
        .arg(BaudFromIndex(speedIndex), 6)
        .arg(DisplayModuleName(moduleName));
}

} // namespace

int RunScan(const Options& options, ProgressOutput& output)
{
    Session session(output);
    if (const std::optional<QString> refused = session.Prepare(options.connection)) {
        output.Error(*refused);
        return ExitUsage;
    }
    std::vector<uint8_t> speeds = options.speedIndexes;
    if (speeds.empty())
        speeds.push_back(uint8_t(session.Input().speedIndex));

    const int addresses = options.toAddress - options.fromAddress + 1;
    const int total = addresses * int(speeds.size());
    ScanEstimate estimate = EstimateFor(options, session.Input(), speeds);
    const InterruptWatch interrupt;
    int done = 0;
    int found = 0;
    for (const uint8_t speed : speeds) {
        for (int address = options.fromAddress; address <= options.toAddress; ++address) {
            if (InterruptWatch::Raised())
                break;
            const int percent = done * 100 / total;
            output.Progress(QStringLiteral("Hledání modulů: adresa %1, %2 Bd (").arg(address).arg(BaudFromIndex(speed))
                                + QString::number(percent) + QStringLiteral(" %")
                                + TimeLeftText(estimate.Left()) + u')',
                            percent);
            session.Input().moduleAddress = QString::number(address);
            session.Input().speedIndex = speed;
            const Clock::time_point stepStart = Clock::now();
            const ConnectionResult result = session.Try();
            estimate.StepDone(std::chrono::duration_cast<ScanEstimate::Duration>(Clock::now() - stepStart),
                              result.connected);
            ++done;
            if (result.connected) {
                ++found;
                output.ClearBar();
                PrintOut(FoundLine(uint8_t(address), speed, session.Data().ModuleName));
            } else if (result.stage != ConnectionStage::Identify) {
                output.Error(result.panelText);
                return ExitConnectionFailed;
            }
        }
    }
    session.Close();
    if (InterruptWatch::Raised()) {
        output.Error(QStringLiteral("Hledání přerušeno (kroků: %1 z %2), nalezeno modulů: %3.")
                         .arg(done)
                         .arg(total)
                         .arg(found));
        return ExitInterrupted;
    }
    output.Note(QStringLiteral("Prohledáno kroků: %1, nalezeno modulů: %2.").arg(total).arg(found));
    return found > 0 ? ExitSuccess : ExitConnectionFailed;
}
