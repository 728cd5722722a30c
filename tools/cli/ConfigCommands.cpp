// read and write: the configuration sequences between a module and a profile.
#include "AuditReport.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Profile.h"
#include "Session.h"

#include "config/Sequences.h"
#include "core/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

int ExitCodeOf(SequenceOutcome outcome)
{
    switch (outcome) {
    case SequenceOutcome::Completed:
        return ExitSuccess;
    case SequenceOutcome::NotConnected:
        return ExitConnectionFailed;
    case SequenceOutcome::TransactionFailed:
        return ExitTransactionFailed;
    case SequenceOutcome::ReadBackMismatch:
        return ExitReadBackMismatch;
    case SequenceOutcome::InvalidChoice:
    case SequenceOutcome::CharacterTimeRefused:
    case SequenceOutcome::HoldTimeRefused:
        break;
    }
    return ExitInvalidProfile;
}

// The register of the write with this position in the write sequence.
int RegisterOfWrite(int position)
{
    return WritePlan(TZEMO{}, 0, 0)[size_t(position)].reg;
}

QString AtLine(const QString& file, int line, const QString& message)
{
    const QString name = QFileInfo(file).fileName();
    if (line == 0)
        return QStringLiteral("%1: %2").arg(name, message);
    return QStringLiteral("%1: řádek %2: %3").arg(name).arg(line).arg(message);
}

std::optional<QByteArray> ReadFile(const QString& path, QString& failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

// A write run, as the audit trail records it.
class WriteRun {
public:
    WriteRun(const Options& options, ProgressOutput& output)
        : options_(options), output_(output), session_(output)
    {
    }

    int Run()
    {
        if (!OpenReport())
            return ExitFileNotWritten;
        if (const std::optional<QString> refused = session_.Prepare(options_.connection))
            return Record(Fail(ExitUsage, *refused));
        return Record(CheckAndWrite());
    }

    // Records a run whose command line was refused; the message has been shown.
    int RecordRefusal(const QString& message)
    {
        if (!OpenReport())
            return ExitUsage;
        session_.Prepare(options_.connection);  // the interface and address for the line
        outcome_ = message;
        return Record(ExitUsage);
    }

private:
    bool OpenReport()
    {
        if (options_.reportFile.isEmpty())
            return true;
        QString failure;
        if (report_.Open(options_.reportFile, &failure))
            return true;
        output_.Error(QStringLiteral("Protokol %1 nelze otevřít: %2").arg(options_.reportFile, failure));
        return false;
    }

    int CheckAndWrite()
    {
        QString failure;
        const std::optional<QByteArray> bytes = ReadFile(options_.profileFile, failure);
        if (!bytes)
            return Fail(ExitInvalidProfile,
                        QStringLiteral("Profil %1 nelze číst: %2").arg(options_.profileFile, failure));
        const ProfileCheck check = CheckProfile(*bytes);
        if (!check.Passed())
            return Fail(ExitInvalidProfile, AtLine(options_.profileFile, check.line, check.failure));
        // ZapisData would refuse it as well, but only after connecting.
        if (const std::optional<WriteRefusal> refusal = RefuseWrite(check.record))
            return Fail(ExitInvalidProfile,
                        AtLine(options_.profileFile, 0, WithoutLeadingBlank(refusal->statusText)));

        for (const ProfileWarning& warning : check.warnings)
            output_.Error(AtLine(options_.profileFile, warning.line, warning.text));

        const ConnectionResult connection = session_.Open();
        if (!connection.connected) {
            outcome_ = connection.panelText;
            return ExitConnectionFailed;
        }
        WarnOfOtherModel(*check.model);

        SequenceProgress progress(output_);
        const SequenceResult result = ZapisData(&session_.Data(), check.record, progress);
        outcome_ = progress.LastText();
        const int code = ExitCodeOf(result.outcome);
        if (code == ExitSuccess) {
            output_.Note(outcome_);
            return code;
        }
        output_.Error(outcome_);
        if (result.outcome == SequenceOutcome::TransactionFailed
            || result.outcome == SequenceOutcome::ReadBackMismatch)
            failingRegister_ = RegisterOfWrite(result.completedSteps);
        return code;
    }

    void WarnOfOtherModel(const ModelDescription& profileModel)
    {
        const ModelDescription* module = ModelOfModule(session_.Data().ModuleName);
        if (module != nullptr && module != &profileModel)
            output_.Error(QStringLiteral("Pozor: profil je pro model %1, připojený modul je %2.")
                              .arg(QString::fromUtf8(profileModel.model),
                                   QString::fromUtf8(module->model)));
    }

    int Fail(int code, const QString& message)
    {
        output_.Error(message);
        outcome_ = message;
        return code;
    }

    int Record(int code)
    {
        if (!report_.IsOpen())
            return code;
        AuditEntry entry;
        entry.interface = session_.InterfaceDescription();
        entry.address = session_.Input().moduleAddress;
        entry.moduleName = session_.Data().Connected ? DisplayModuleName(session_.Data().ModuleName) : QString();
        entry.outcome = WithoutLeadingBlank(outcome_);
        entry.exitCode = code;
        entry.failingRegister = failingRegister_;
        QString failure;
        if (!report_.Append(entry, &failure)) {
            output_.Error(QStringLiteral("Do protokolu %1 nelze zapsat: %2").arg(options_.reportFile, failure));
            return code == ExitSuccess ? ExitFileNotWritten : code;
        }
        return code;
    }

    const Options& options_;
    ProgressOutput& output_;
    Session session_;
    AuditReport report_;
    QString outcome_;
    std::optional<int> failingRegister_;
};

} // namespace

int RunRead(const Options& options, ProgressOutput& output)
{
    Session session(output);
    if (const int failed = Connect(session, options, output))
        return failed;
    const ModelDescription* model =
        options.model ? options.model : ModelOfModule(session.Data().ModuleName);
    if (model == nullptr) {
        output.Error(QStringLiteral("Modul %1 není v katalogu modelů; zadejte model volbou --model.")
                         .arg(DisplayModuleName(session.Data().ModuleName)));
        return ExitUsage;
    }

    TZEMO record = DefaultModelConfig();
    SequenceProgress progress(output);
    const SequenceResult result = PrectiData(&session.Data(), record, progress);
    if (result.outcome != SequenceOutcome::Completed) {
        output.Error(progress.LastText());
        return ExitTransactionFailed;
    }
    output.Note(progress.LastText());

    const QByteArray profile = ProfileText(*model, record);
    if (options.outputFile.isEmpty()) {
        PrintOut(profile);
        return ExitSuccess;
    }
    QString failure;
    if (!ReplaceFileContents(options.outputFile, profile, &failure)) {
        output.Error(QStringLiteral("Profil %1 nelze zapsat: %2").arg(options.outputFile, failure));
        return ExitFileNotWritten;
    }
    return ExitSuccess;
}

int RunWrite(const Options& options, ProgressOutput& output)
{
    return WriteRun(options, output).Run();
}

int RecordRefusedWrite(const Options& options, const QString& message, ProgressOutput& output)
{
    if (options.command != Command::Write || options.reportFile.isEmpty())
        return ExitUsage;
    return WriteRun(options, output).RecordRefusal(message);
}
