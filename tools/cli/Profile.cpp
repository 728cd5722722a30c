#include "Profile.h"

#include "config/EntryChecks.h"
#include "config/RegisterMap.h"
#include "config/Sequences.h"
#include "config/StatusTexts.h"
#include "core/Cp1250.h"
#include "core/IniFile.h"

#include <QStringList>

#include <array>
#include <optional>
#include <span>

namespace {

const QString Section = QStringLiteral("Konfigurace");
const QByteArray Header =
    "; Konfigurace modulu SERKON: serkon-cli read ji zapisuje, serkon-cli write ji posílá do\n"
    "; modulu. Popis klíčů: docs/serkon-cli.md\n";
constexpr QChar ProfileDecimalPoint = u'.';

enum class Key {
    Model,
    TxMode,
    RxMode,
    BaudIndex,
    ParityIndex,
    DataBitsIndex,
    StopBitsIndex,
    CustomBaud,
    OverhangMs,
    Note,
};
constexpr size_t KeyCount = 10;

const std::array<QString, KeyCount> KeyNames = {
    QStringLiteral("Model"),         QStringLiteral("TxMode"),        QStringLiteral("RxMode"),
    QStringLiteral("BaudIndex"),     QStringLiteral("ParityIndex"),   QStringLiteral("DataBitsIndex"),
    QStringLiteral("StopBitsIndex"), QStringLiteral("CustomBaud"),    QStringLiteral("OverhangMs"),
    QStringLiteral("Note"),
};

const QString& NameOf(Key key)
{
    return KeyNames[size_t(key)];
}

std::optional<Key> KeyNamed(const QString& name)
{
    for (size_t i = 0; i < KeyCount; ++i) {
        if (KeyNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return Key(i);
    }
    return std::nullopt;
}

// A list field of the record and the entries of the model's list for it. A model without the
// list (no TX or RX list) keeps the field as a plain number.
struct ListField {
    Key key;
    std::span<const char* const> entries;
    uint8_t TZEMO::*field;
    uint8_t highestWritten;  // the highest number the write sequence takes, for a model without the list
};

std::array<ListField, 6> ListFieldsOf(const ModelDescription& model)
{
    return {{
        {Key::TxMode, model.txEntries, &TZEMO::TxMode, MaxTxMode},
        {Key::RxMode, model.rxEntries, &TZEMO::RxMode, MaxRxMode},
        {Key::BaudIndex, model.baudEntries, &TZEMO::BaudIndex, MaxBaudIndex},
        {Key::ParityIndex, ParityEntries, &TZEMO::ParityIndex, MaxParityIndex},
        {Key::DataBitsIndex, DataBitsEntries, &TZEMO::DataBitsIndex, MaxDataBitsIndex},
        {Key::StopBitsIndex, StopBitsEntries, &TZEMO::StopBitsIndex, MaxStopBitsIndex},
    }};
}

int32_t HighestIndex(const ListField& list)
{
    return list.entries.empty() ? list.highestWritten : int32_t(list.entries.size()) - 1;
}

QString ListValueText(const ListField& list, uint8_t index)
{
    if (index < list.entries.size())
        return QString::fromUtf8(list.entries[index]);
    return QString::number(index);
}

// A caption of the list (letter case aside) or an index into it.
std::optional<uint8_t> ListIndexOf(const ListField& list, const QString& text)
{
    for (size_t i = 0; i < list.entries.size(); ++i) {
        if (QString::fromUtf8(list.entries[i]).compare(text, Qt::CaseInsensitive) == 0)
            return uint8_t(i);
    }
    int32_t index = 0;
    if (ParseIntInRange(text, 0, HighestIndex(list), index))
        return uint8_t(index);
    return std::nullopt;
}

QString ListCaptions(const ListField& list)
{
    QStringList captions;
    for (const char* entry : list.entries)
        captions.append(QString::fromUtf8(entry));
    return captions.join(QStringLiteral(", "));
}

bool IsControl(QChar ch)
{
    return ch.category() == QChar::Other_Control;
}

// The note as the module holds it, without the blanks that fill it up (and the codes 0 of a
// module whose note was never written); other control characters show as blanks.
QString NoteForProfile(QString note)
{
    for (QChar& ch : note) {
        if (IsControl(ch))
            ch = u' ';
    }
    while (note.endsWith(u' '))
        note.chop(1);
    return note;
}

QString Quoted(const QString& text)
{
    return QStringLiteral("„") + text + QStringLiteral("“");
}

QString ModelNames()
{
    QStringList names;
    for (const ModelDescription& model : ModelCatalogue())
        names.append(QString::fromUtf8(model.model));
    return names.join(QStringLiteral(", "));
}

ProfileCheck Refused(int line, const QString& failure)
{
    ProfileCheck check;
    check.failure = failure;
    check.line = line;
    return check;
}

// Where each key of the section stands, after the layout of the file has been checked.
struct KeyLines {
    std::array<int, KeyCount> line{};  // 0: missing
};

std::optional<ProfileCheck> CheckLayout(const IniFile& ini, KeyLines& keys)
{
    bool sectionSeen = false;
    for (const IniEntry& entry : ini.Entries()) {
        switch (entry.kind) {
        case IniEntry::Kind::Unrecognised:
            return Refused(entry.line, QStringLiteral("Řádek není ani [sekce], ani klíč=hodnota."));
        case IniEntry::Kind::Section:
            if (entry.name.compare(Section, Qt::CaseInsensitive) != 0)
                return Refused(entry.line, QStringLiteral("Neznámá sekce [%1], profil má jen [%2].")
                                               .arg(entry.name, Section));
            if (sectionSeen)
                return Refused(entry.line, QStringLiteral("Sekce [%1] je v souboru podruhé.").arg(Section));
            sectionSeen = true;
            break;
        case IniEntry::Kind::Key: {
            if (entry.section.isEmpty())
                return Refused(entry.line, QStringLiteral("Klíč %1 stojí před sekcí [%2].")
                                               .arg(Quoted(entry.name), Section));
            const std::optional<Key> key = KeyNamed(entry.name);
            if (!key)
                return Refused(entry.line, QStringLiteral("Neznámý klíč %1.").arg(Quoted(entry.name)));
            int& line = keys.line[size_t(*key)];
            if (line != 0)
                return Refused(entry.line, QStringLiteral("Klíč %1 je v sekci podruhé (poprvé na řádku %2).")
                                               .arg(NameOf(*key)).arg(line));
            line = entry.line;
            break;
        }
        }
    }
    if (!sectionSeen)
        return Refused(0, QStringLiteral("Soubor nemá sekci [%1].").arg(Section));
    for (size_t i = 0; i < KeyCount; ++i) {
        if (keys.line[i] == 0)
            return Refused(0, QStringLiteral("V sekci [%1] chybí klíč %2.").arg(Section, KeyNames[i]));
    }
    return std::nullopt;
}

std::optional<ProfileCheck> CheckNote(const QString& note, int line)
{
    if (note.size() > NoteLength)
        return Refused(line, QStringLiteral("Poznámka má %1 znaků, modul jich pojme nejvýš %2.")
                                 .arg(note.size()).arg(NoteLength));
    for (QChar ch : note) {
        uint8_t code = 0;
        if (IsControl(ch))
            return Refused(line, QStringLiteral("Poznámka obsahuje řídicí znak (kód %1).")
                                     .arg(ch.unicode()));
        if (!CharToCp1250(ch, code))
            return Refused(line, QStringLiteral("Poznámka obsahuje znak %1, který modul neumí uložit.")
                                     .arg(Quoted(QString(ch))));
    }
    return std::nullopt;
}

// The write stores RxMode × 4 + TxMode in the mode register, and the read decodes only the bits
// of the two-entry lists, so RxMode 2 (the third receive entry of RZ-310, or 2 in KQ-3230) is
// written but reads back as entry 0. The module takes it; the user hears of it.
std::vector<ProfileWarning> ModeReadBackWarnings(const ModelDescription& model, const TZEMO& record,
                                                 const KeyLines& keys)
{
    TZEMO readBack = record;
    for (const RegisterWrite& write : WritePlan(record, 0, 0)) {
        if (write.reg == RegMode)
            DecodeRegister(write.reg, write.value, readBack);
    }
    std::vector<ProfileWarning> warnings;
    for (const ListField& list : ListFieldsOf(model)) {
        const uint8_t written = record.*list.field;
        const uint8_t read = readBack.*list.field;
        if (written == read)
            continue;
        warnings.push_back(
            {keys.line[size_t(list.key)],
             QStringLiteral("Pozor: %1 %2 se do modulu zapíše, ale pozdější čtení konfigurace ukáže %3 "
                            "(registr %4 ho nese v bitu, který čtení nevyhodnocuje).")
                 .arg(NameOf(list.key), Quoted(ListValueText(list, written)),
                      Quoted(ListValueText(list, read)))
                 .arg(RegMode)});
    }
    return warnings;
}

// The key whose entry the configuration window's message is about.
Key KeyOfEntryMessage(const QString& message)
{
    return message == CustomBaudMessage ? Key::CustomBaud : Key::OverhangMs;
}

} // namespace

QByteArray ProfileText(const ModelDescription& model, const TZEMO& record)
{
    IniFile ini = IniFile::FromBytes(Header, IniEncoding::Utf8);
    const auto write = [&ini](Key key, const QString& value) {
        ini.WriteString(Section, NameOf(key), value);
    };
    write(Key::Model, QString::fromUtf8(model.model));
    for (const ListField& list : ListFieldsOf(model))
        write(list.key, ListValueText(list, record.*list.field));
    write(Key::CustomBaud, QString::number(record.CustomBaud));
    write(Key::OverhangMs, FormatHoldTime(record.OverhangUs, ProfileDecimalPoint));
    write(Key::Note, NoteForProfile(record.Note));
    return ini.ToBytes();
}

ProfileCheck CheckProfile(const QByteArray& bytes)
{
    if (const int line = IniFile::FirstLineNotUtf8(bytes))
        return Refused(line, QStringLiteral("Soubor není v kódování UTF-8."));
    const IniFile ini = IniFile::FromBytes(bytes, IniEncoding::Utf8);
    KeyLines keys;
    if (std::optional<ProfileCheck> refused = CheckLayout(ini, keys))
        return *refused;
    const auto value = [&ini](Key key) { return ini.ReadString(Section, NameOf(key), {}); };
    const auto lineOf = [&keys](Key key) { return keys.line[size_t(key)]; };

    const QString modelName = value(Key::Model);
    const ModelDescription* model = FindModel(modelName.toStdString());
    if (model == nullptr)
        return Refused(lineOf(Key::Model), QStringLiteral("Neznámý model %1 (známé modely: %2).")
                                               .arg(Quoted(modelName), ModelNames()));

    TZEMO current = DefaultModelConfig();
    std::array<int, 6> indexes{};
    const std::array<ListField, 6> lists = ListFieldsOf(*model);
    for (size_t i = 0; i < lists.size(); ++i) {
        const ListField& list = lists[i];
        const QString text = value(list.key);
        const std::optional<uint8_t> index = ListIndexOf(list, text);
        if (!index && list.entries.empty())
            return Refused(lineOf(list.key), QStringLiteral("%1 musí být číslo 0 až %2.")
                                                 .arg(NameOf(list.key))
                                                 .arg(HighestIndex(list)));
        if (!index)
            return Refused(lineOf(list.key),
                           QStringLiteral("%1: %2 není v seznamu modelu %3 (%4), ani jeho pořadí.")
                               .arg(NameOf(list.key), Quoted(text), modelName, ListCaptions(list)));
        indexes[i] = *index;
        current.*list.field = *index;
    }

    WindowEntries entries;
    entries.hasModeLists = model->HasModeLists();
    entries.txIndex = indexes[0];
    entries.rxIndex = indexes[1];
    entries.baudIndex = indexes[2];
    entries.parityIndex = indexes[3];
    entries.dataBitsIndex = indexes[4];
    entries.stopBitsIndex = indexes[5];
    entries.customBaud = value(Key::CustomBaud);
    entries.holdTime = value(Key::OverhangMs);
    entries.note = value(Key::Note);
    const EntryCheck entryCheck = CheckEntries(entries, current, ProfileDecimalPoint);
    if (!entryCheck.Passed())
        return Refused(lineOf(KeyOfEntryMessage(entryCheck.failure)), entryCheck.failure);
    if (std::optional<ProfileCheck> refused = CheckNote(entries.note, lineOf(Key::Note)))
        return *refused;

    ProfileCheck check;
    check.model = model;
    check.record = entryCheck.record;
    check.warnings = ModeReadBackWarnings(*model, check.record, keys);
    return check;
}

const ModelDescription* ModelOfModule(const QString& moduleName)
{
    const qsizetype version = moduleName.lastIndexOf(QStringLiteral(" v."));
    QString name = version < 0 ? moduleName : moduleName.left(version);
    // The module fills its name up with blanks or codes 0.
    while (!name.isEmpty() && (name.back() == u' ' || IsControl(name.back())))
        name.chop(1);
    return FindModel(name.toStdString());
}
