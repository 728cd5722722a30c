// identify, status and clear-status, and what every command needs to reach a module.
#include "Commands.h"
#include "ExitCodes.h"
#include "Interrupt.h"
#include "Session.h"
#include "StandardStreams.h"

#include "config/StatusRegister.h"
#include "core/ReadFile.h"
#include "core/Settings.h"

#include <QDir>
#include <QTime>

namespace {

constexpr int StatusLines = 2 + StatusRows;
constexpr int CaptionWidth = 6;

QString StatusBlock(const ModuleData& bytes, const QString& heading)
{
    const uint32_t value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16
        | uint32_t(bytes[3]) << 24;
    QString block = QStringLiteral("Status registr: 0x%1%2\n")
                        .arg(value, 8, 16, QLatin1Char('0'))
                        .arg(heading.isEmpty() ? QString() : QStringLiteral("  ") + heading);
    QString columns = QStringLiteral("     ");
    for (int column = 0; column < StatusColumns; ++column)
        columns += QStringLiteral("  bajt %1  ").arg(column);
    block += columns.trimmed().prepend(QStringLiteral("       ")) + u'\n';
    for (int row = 0; row < StatusRows; ++row) {
        QString line = QStringLiteral("bit %1").arg(row);
        for (int column = 0; column < StatusColumns; ++column) {
            const QString caption = QString::fromUtf8(StatusBitCaptions[size_t(column)][size_t(row)]);
            line += QStringLiteral("  %1 %2").arg(caption, -CaptionWidth).arg(StatusBit(bytes, column, row) ? 1 : 0);
        }
        block += line + u'\n';
    }
    return block;
}

// Polls until interrupted. On a terminal each poll replaces the last one on the screen.
int WatchStatus(Session& session, const Options& options, ProgressOutput& output)
{
    InterruptWatch interrupt;
    const bool redraw = IsTerminal(Stream::Out);
    bool shownInPlace = false;
    bool lastFailed = false;
    while (!InterruptWatch::Raised()) {
        const StatusReply reply = ReadStatusRegister(session.Data(), session.Data().ModuleAddress);
        lastFailed = reply.outcome != StatusOutcome::Done;
        if (lastFailed) {
            output.Error(reply.statusText);
            shownInPlace = false;
        } else {
            if (redraw && shownInPlace)
                PrintOut(QStringLiteral("\x1b[%1A").arg(StatusLines));
            PrintOut(StatusBlock(reply.bytes, QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")))
                     + (redraw ? QString() : QStringLiteral("\n")));
            shownInPlace = redraw;
        }
        InterruptWatch::Wait(std::chrono::milliseconds(options.intervalMs));
    }
    return lastFailed ? ExitTransactionFailed : ExitSuccess;
}

} // namespace

void PrintOut(const QByteArray& bytes)
{
    Write(Stream::Out, bytes);
}

void PrintOut(const QString& text)
{
    PrintOut(text.toUtf8());
}

int Connect(Session& session, const Options& options, ProgressOutput& output)
{
    if (const std::optional<QString> refused = session.Prepare(options.connection)) {
        output.Error(*refused);
        return ExitUsage;
    }
    return session.Open().connected ? ExitSuccess : ExitConnectionFailed;
}

namespace {

// Which SERKON.ini the settings came from, or why none did.
QString SettingsSourceNote()
{
    const QString path = SettingsSourcePath();
    if (path.isEmpty())
        return QStringLiteral("Složku souboru SERKON.ini nelze zjistit, platí výchozí nastavení.");
    QByteArray bytes;
    QString failure;
    switch (ReadWholeFile(path, bytes, &failure)) {
    case FileRead::Read:
        return QStringLiteral("Nastavení ze souboru %1").arg(QDir::toNativeSeparators(path));
    case FileRead::Missing:
        return QStringLiteral("Soubor %1 neexistuje, platí výchozí nastavení.").arg(QDir::toNativeSeparators(path));
    case FileRead::Failed:
        break;
    }
    return failure + QStringLiteral(" Platí výchozí nastavení.");
}

} // namespace

int RunSettings(const Options& options, ProgressOutput& output)
{
    Session session(output);
    if (const std::optional<QString> refused = session.Prepare(options.connection)) {
        output.Error(*refused);
        return ExitUsage;
    }
    output.Note(SettingsSourceNote());
    PrintOut(session.SettingsText());
    if (!options.save)
        return ExitSuccess;
    const uint8_t address = ModuleAddressFromText(session.Input().moduleAddress);
    const uint8_t speedIndex = uint8_t(session.Input().speedIndex);
    if (const std::optional<Session::Refusal> refused = session.StoreConnection(address, speedIndex)) {
        output.Error(refused->text);
        return refused->exitCode;
    }
    output.Note(QStringLiteral("Připojení uloženo do %1.").arg(QDir::toNativeSeparators(SettingsFilePath())));
    return ExitSuccess;
}

int RunIdentify(const Options& options, ProgressOutput& output)
{
    Session session(output);
    if (const int failed = Connect(session, options, output))
        return failed;
    PrintOut(DisplayModuleName(session.Data().ModuleName) + u'\n');
    return ExitSuccess;
}

int RunStatus(const Options& options, ProgressOutput& output)
{
    Session session(output);
    if (const int failed = Connect(session, options, output))
        return failed;
    if (options.watch)
        return WatchStatus(session, options, output);
    const StatusReply reply = ReadStatusRegister(session.Data(), session.Data().ModuleAddress);
    if (reply.outcome != StatusOutcome::Done) {
        output.Error(reply.statusText);
        return ExitTransactionFailed;
    }
    PrintOut(StatusBlock(reply.bytes, {}));
    return ExitSuccess;
}

int RunClearStatus(const Options& options, ProgressOutput& output)
{
    Session session(output);
    if (const int failed = Connect(session, options, output))
        return failed;
    const StatusReply reply = ClearStatusRegister(session.Data(), session.Data().ModuleAddress);
    if (reply.outcome != StatusOutcome::Done) {
        output.Error(reply.statusText);
        return ExitTransactionFailed;
    }
    return ExitSuccess;
}
