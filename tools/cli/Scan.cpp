// scan: every address of the range at each bus speed asked for, as fast as the wire allows
// (BusScan.h). The modules found go to standard output, the progress with the time left and
// what else the scan met to standard error; --store keeps the one module found in SERKON.ini.
#include "BusScan.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Interrupt.h"
#include "Session.h"

#include "core/Settings.h"
#include "drivers/SpeedTables.h"

#include <QDir>

#include <chrono>

namespace {

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

QString FoundLine(const FoundModule& module)
{
    return QStringLiteral("%1  %2 Bd  %3\n")
        .arg(module.address, 3)
        .arg(BaudFromIndex(module.speedIndex), 6)
        .arg(DisplayModuleName(module.name));
}

class ScanPrinter final : public ScanObserver {
public:
    explicit ScanPrinter(ProgressOutput& output) : output_(output) {}

    void Probing(uint8_t address, uint8_t speedIndex, int pass, int percent,
                 ScanEstimate::Duration left) override
    {
        QString text = QStringLiteral("Hledání modulů: adresa %1, %2 Bd").arg(address).arg(BaudFromIndex(speedIndex));
        if (pass > 1)
            text += QStringLiteral(", %1. průchod").arg(pass);
        output_.Progress(text + QStringLiteral(" (%1 %").arg(percent) + TimeLeftText(left) + u')', percent);
    }

    void Found(const FoundModule& module) override
    {
        output_.ClearBar();
        PrintOut(FoundLine(module));
    }

    void Notice(const QString& text) override { output_.Note(text); }

private:
    ProgressOutput& output_;
};

int StoreFoundModule(Session& session, const std::vector<FoundModule>& modules, ProgressOutput& output)
{
    if (modules.empty()) {
        output.Error(QStringLiteral("Nebyl nalezen žádný modul, do SERKON.ini se nic neukládá."));
        return ExitConnectionFailed;
    }
    if (modules.size() > 1) {
        output.Error(QStringLiteral("Nalezeno modulů: %1, do SERKON.ini lze uložit jen jeden. Hledání "
                                    "zužte volbami --from, --to a --speeds.")
                         .arg(modules.size()));
        return ExitFileNotWritten;
    }
    const FoundModule& module = modules.front();
    if (const std::optional<Session::Refusal> refused = session.StoreConnection(module.address, module.speedIndex)) {
        output.Error(refused->text);
        return refused->exitCode;
    }
    output.Note(QStringLiteral("Do %1 uloženo: adresa %2, %3 Bd.")
                    .arg(QDir::toNativeSeparators(SettingsFilePath()))
                    .arg(module.address)
                    .arg(BaudFromIndex(module.speedIndex)));
    return ExitSuccess;
}

} // namespace

int RunScan(const Options& options, ProgressOutput& output)
{
    Session session(output);
    if (const std::optional<QString> refused = session.Prepare(options.connection)) {
        output.Error(*refused);
        return ExitUsage;
    }
    ScanPlan plan{options.fromAddress, options.toAddress, options.speedIndexes,
                  std::chrono::milliseconds(options.marginMs)};
    if (plan.speedIndexes.empty())
        plan.speedIndexes.push_back(uint8_t(session.Input().speedIndex));

    const InterruptWatch interrupt;
    ScanPrinter printer(output);
    const ScanOutcome outcome = ScanBus(session.Data(), session.Input(), plan, printer);
    const size_t found = outcome.modules.size();
    switch (outcome.end) {
    case ScanEnd::Failed:
        output.Error(outcome.failure);
        return ExitConnectionFailed;
    case ScanEnd::Interrupted:
        output.Error(QStringLiteral("Hledání přerušeno (kroků: %1 z %2), nalezeno modulů: %3.")
                         .arg(outcome.stepsDone)
                         .arg(outcome.steps)
                         .arg(found));
        return ExitInterrupted;
    case ScanEnd::Done:
        break;
    }
    output.Note(QStringLiteral("Prohledáno kroků: %1, nalezeno modulů: %2.").arg(outcome.steps).arg(found));
    if (options.store)
        return StoreFoundModule(session, outcome.modules, output);
    return found > 0 ? ExitSuccess : ExitConnectionFailed;
}
