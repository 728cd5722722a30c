#include "CommandLine.h"

#include "PlatformHelp.h"
#include "PortLinks.h"

#include "config/Connection.h"
#include "config/EntryChecks.h"
#include "drivers/SpeedTables.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>
#include <span>

namespace {

struct OptionInfo {
    const char* name;
    const char* shortName;  // nullptr: none
    const char* valueName;  // nullptr: a switch
    const char* help;
};

const std::array<OptionInfo, 22> OptionTable = {{
    {"interface", nullptr, "com|isa|pci|usb|lan", "komunikační rozhraní"},
    {"com", nullptr, "N", "číslo portu COMx"},
    {"base", nullptr, "HEX", "bázová adresa karty RVA-770, např. 300"},
    {"ip", nullptr, "TEXT", "IP adresa LAN konvertoru RVD-773"},
    {"udp-port", nullptr, "N", "UDP port LAN konvertoru 1 až 65535"},
    {"udp-timeout", nullptr, "N", "UDP timeout v ms 0 až 65535, pokus čeká o tolik déle"},
    {"address", nullptr, "N", "adresa modulu 0 až 255"},
    {"speed", nullptr, "BD", "komunikační rychlost 600 až 115200 Bd (jedna z devíti)"},
    {"model", nullptr, "M", "model profilu; bez volby model, kterým se modul ohlásí"},
    {"output", "o", "SOUBOR", "profil zapíše do souboru místo na standardní výstup"},
    {"report", nullptr, "CSV", "výsledek připíše jako řádek do protokolu CSV"},
    {"watch", nullptr, nullptr, "čte status registr opakovaně, dokud není přerušen (Ctrl+C)"},
    {"interval", nullptr, "MS", "se --watch: odstup čtení v ms (výchozí 500)"},
    {"from", nullptr, "A", "první prohledávaná adresa (výchozí 0)"},
    {"to", nullptr, "B", "poslední prohledávaná adresa (výchozí 255)"},
    {"speeds", nullptr, "all|SEZNAM", "rychlosti: všech devět, nebo seznam jako 9600,19200 (opakovaná jen jednou)"},
    {"margin", nullptr, "MS", "čekání na adrese navíc k času na vodiči, 0 až 1000 ms (výchozí 1)"},
    {"store", nullptr, nullptr, "jediný nalezený modul uloží do SERKON.ini (adresu a rychlost)"},
    {"save", nullptr, nullptr, "připojení podle voleb uloží do SERKON.ini"},
    {"quiet", "q", nullptr, "nevypisuje průběh, jen výsledek a chyby"},
    {"help", "h", nullptr, "nápověda"},
    {"version", nullptr, nullptr, "verze programu"},
}};

const std::array<const char*, 8> ConnectionOptionNames = {
    "interface", "com", "base", "ip", "udp-port", "udp-timeout", "address", "speed"};

struct CommandInfo {
    Command command;
    const char* name;
    const char* arguments;  // after the name in the synopsis
    const char* summary;
    const char* details;    // for the command's help, nullptr: none
    std::span<const char* const> options;  // besides the connection options, -q and -h
    int files;              // positional arguments after the name
    bool takesAddress;
};

constexpr std::array<const char*, 2> ReadOptions = {"model", "output"};
constexpr std::array<const char*, 1> WriteOptions = {"report"};
constexpr std::array<const char*, 2> StatusOptions = {"watch", "interval"};
constexpr std::array<const char*, 5> ScanOptions = {"from", "to", "speeds", "margin", "store"};
constexpr std::array<const char*, 1> SettingsOptions = {"save"};

const char* const WriteDetails =
    "Zapisuje na adresu 0 sběrnice, na lince má proto být jen jeden modul. Identifikace\n"
    "před zápisem (i příkaz read) jde na adresu --address.";
const char* const ScanDetails =
    "Rozhraní otevře jednou pro každou rychlost a na každé adrese čeká jen tak dlouho, než by\n"
    "začala odpověď (dotaz, klid na lince, první znak a rezerva 1 ms, --margin): při 9600 Bd 17 ms na\n"
    "adresu, u LAN konvertoru celá odpověď a navíc UDP timeout. Adresu, která odpoví, ověří\n"
    "úplnou identifikací. Kde něco odpovědělo, projde tiché adresy ještě jednou (ztracená\n"
    "odpověď modul neskryje). Adresa 0, na kterou odpovídá každý modul, se hlásí zvlášť.\n"
    "S --store uloží jediný nalezený modul do SERKON.ini; při žádném nebo více modulech\n"
    "neuloží nic.";

const char* const SettingsDetails =
    "Řádek na nastavení ve tvaru volba=hodnota, se jmény voleb příkazové řádky:\n"
    "interface, address, speed a parametry rozhraní (com, base, ip, udp-port, udp-timeout).\n"
    "Který soubor SERKON.ini četl, vypíše na standardní chybový výstup.\n"
    "S --save je uloží do SERKON.ini, jak je program ukládá při ukončení (ostatní obsah\n"
    "souboru zůstane), a příští \"Inicializace připojení\" je použije.";

const std::array<CommandInfo, 9> CommandTable = {{
    {Command::Identify, "identify", "", "vypíše jméno a verzi připojeného modulu", nullptr, {}, 0,
     true},
    {Command::Read, "read", "[--model M] [-o SOUBOR]",
     "přečte konfiguraci modulu a zapíše ji jako profil", nullptr, ReadOptions, 0, true},
    {Command::Write, "write", "SOUBOR [--report CSV]",
     "zkontroluje profil a zapíše ho do modulu, každý registr ověří zpětným čtením", WriteDetails,
     WriteOptions, 1, true},
    {Command::Status, "status", "[--watch [--interval MS]]",
     "vypíše 32 bitů status registru modulu", nullptr, StatusOptions, 0, true},
    {Command::ClearStatus, "clear-status", "", "vynuluje status registr modulu", nullptr, {}, 0,
     true},
    {Command::Scan, "scan", "[--from A] [--to B] [--speeds all|SEZNAM] [--margin MS] [--store]",
     "zkusí identifikovat modul na každé adrese (a rychlosti) a vypíše nalezené", ScanDetails,
     ScanOptions, 0, false},
    {Command::Settings, "settings", "[--save]",
     "vypíše připojení, jak by ho příkaz otevřel (SERKON.ini a volby), a nic neodešle",
     SettingsDetails, SettingsOptions, 0, true},
    {Command::Ports, "ports", "", ThisPlatformHelp.portsSummary, ThisPlatformHelp.portsDetails, {}, 0,
     false},
    {Command::LinkPort, "ports link", "NÁZEV CESTA", ThisPlatformHelp.linkPortSummary,
     ThisPlatformHelp.linkPortDetails, {}, 2, false},
}};

// Commands that neither open a connection nor read SERKON.ini.
constexpr std::array<Command, 2> PortCommands = {Command::Ports, Command::LinkPort};

bool TakesConnection(const CommandInfo& command)
{
    return std::find(PortCommands.begin(), PortCommands.end(), command.command) == PortCommands.end();
}

const char* const ExitCodesAfterOne =
    "  2  chybný zápis příkazu\n"
    "  3  připojení selhalo (parametry, knihovna ovladače, nastavení, identifikace);\n"
    "     scan nenašel žádný modul\n"
    "  4  chyba komunikace při čtení, zápisu nebo práci se status registrem\n"
    "  5  zapsaný registr se přečetl s jinou hodnotou\n"
    "  6  neplatný profil nebo hodnota v něm\n"
    "  130  scan přerušen (Ctrl+C)\n";

const std::array<const char*, 5> InterfaceNames = {"com", "isa", "pci", "usb", "lan"};

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString ExitCodesHelp()
{
    return QStringLiteral("Návratové kódy:\n  0  úspěch\n  1  ") + Text(ThisPlatformHelp.fileNotWritten)
        + Text(ExitCodesAfterOne);
}

} // namespace

QString InterfaceOptionName(int interfaceType)
{
    return interfaceType >= 0 && size_t(interfaceType) < InterfaceNames.size()
        ? Text(InterfaceNames[size_t(interfaceType)])
        : QString::number(interfaceType);
}

namespace {

const OptionInfo* FindOption(const QString& name)
{
    for (const OptionInfo& option : OptionTable) {
        if (name == Text(option.name) || (option.shortName && name == Text(option.shortName)))
            return &option;
    }
    return nullptr;
}

// The command that the first positional arguments name, the one of most words ("ports link"
// before "ports"); its words are taken from the arguments.
const CommandInfo* TakeCommand(QStringList& positional)
{
    const CommandInfo* found = nullptr;
    qsizetype foundWords = 0;
    for (const CommandInfo& command : CommandTable) {
        const QStringList words = Text(command.name).split(u' ');
        if (words.size() > foundWords && positional.mid(0, words.size()) == words) {
            found = &command;
            foundWords = words.size();
        }
    }
    positional.remove(0, foundWords);
    return found;
}

bool Contains(std::span<const char* const> names, const char* name)
{
    for (const char* candidate : names) {
        if (qstrcmp(candidate, name) == 0)
            return true;
    }
    return false;
}

bool CommandAllows(const CommandInfo& command, const OptionInfo& option)
{
    if (qstrcmp(option.name, "address") == 0)
        return command.takesAddress;
    return (TakesConnection(command) && Contains(ConnectionOptionNames, option.name))
        || Contains(command.options, option.name) || qstrcmp(option.name, "quiet") == 0
        || qstrcmp(option.name, "help") == 0;
}

QString OptionNames(const OptionInfo& option)
{
    QString names = option.shortName ? QStringLiteral("-%1, --%2").arg(Text(option.shortName), Text(option.name))
                                     : QStringLiteral("    --%1").arg(Text(option.name));
    if (option.valueName)
        names += u' ' + Text(option.valueName);
    return names;
}

// Every option's help text starts in the same column, after the longest names.
qsizetype OptionNamesWidth()
{
    qsizetype width = 0;
    for (const OptionInfo& option : OptionTable)
        width = std::max(width, OptionNames(option).size());
    return width;
}

QString OptionLine(const OptionInfo& option)
{
    static const qsizetype width = OptionNamesWidth();
    return QStringLiteral("  ") + OptionNames(option).leftJustified(width) + QStringLiteral("  ")
        + Text(option.help) + u'\n';
}

QString ConnectionOptionsHelp(bool withAddress)
{
    QString help = QStringLiteral(
        "Volby připojení (co nezadáte, platí podle SERKON.ini; serkon-cli settings ukáže který):\n");
    for (const char* name : ConnectionOptionNames) {
        if (withAddress || qstrcmp(name, "address") != 0)
            help += OptionLine(*FindOption(Text(name)));
    }
    return help;
}

QString GeneralHelp()
{
    QString help = QStringLiteral(
        "Použití: serkon-cli PŘÍKAZ [volby]\n\n"
        "Nastavuje a čte převodníky a opakovače SERKON z příkazové řádky: připojí se jako dialog\n"
        "připojení programu (načtení ovladače, nastavení rychlosti, identifikace modulu).\n\n"
        "Příkazy:\n");
    for (const CommandInfo& command : CommandTable) {
        const QString synopsis = (Text(command.name) + u' ' + Text(command.arguments)).trimmed();
        help += QStringLiteral("  %1\n      %2\n").arg(synopsis, Text(command.summary));
    }
    help += u'\n' + ConnectionOptionsHelp(true) + u'\n';
    help += QStringLiteral("Další volby:\n") + OptionLine(*FindOption(QStringLiteral("quiet")))
        + OptionLine(*FindOption(QStringLiteral("help")))
        + OptionLine(*FindOption(QStringLiteral("version")));
    help += QStringLiteral("\nNápověda k příkazu: serkon-cli PŘÍKAZ --help\n\n") + ExitCodesHelp();
    return help;
}

// "Modely: KQ-3110, KQ-3120, …", the catalogue's names on one line (the shell completion reads it).
QString ModelsLine()
{
    QStringList names;
    for (const ModelDescription& model : ModelCatalogue())
        names << Text(model.model);
    return QStringLiteral("Modely: ") + names.join(QStringLiteral(", ")) + u'\n';
}

QString CommandHelp(const CommandInfo& command)
{
    QString help = QStringLiteral("Použití: serkon-cli %1 %2\n\n%3\n\n")
                       .arg(Text(command.name), Text(command.arguments), Text(command.summary));
    if (command.details)
        help += Text(command.details) + QStringLiteral("\n\n");
    if (Contains(command.options, "model"))
        help += ModelsLine() + u'\n';
    if (!command.options.empty()) {
        help += QStringLiteral("Volby příkazu:\n");
        for (const char* name : command.options)
            help += OptionLine(*FindOption(Text(name)));
        help += u'\n';
    }
    if (TakesConnection(command))
        help += ConnectionOptionsHelp(command.takesAddress) + u'\n';
    help += OptionLine(*FindOption(QStringLiteral("quiet"))) + u'\n' + ExitCodesHelp();
    return help;
}

CommandLine Usage(const QString& message, const Options& options = {})
{
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.options = options;
    line.text = message;
    return line;
}

CommandLine Show(const QString& text)
{
    CommandLine line;
    line.action = CommandLine::Action::ShowText;
    line.text = text;
    return line;
}

std::optional<int32_t> Number(const QString& text, int32_t low, int32_t high)
{
    int32_t value = 0;
    if (!ParseIntInRange(text, low, high, value))
        return std::nullopt;
    return value;
}

std::optional<uint8_t> SpeedIndexOf(const QString& text)
{
    const std::optional<int32_t> baud = Number(text, 0, INT32_MAX);
    if (!baud)
        return std::nullopt;
    for (uint8_t index = 0; index < BusSpeedCount; ++index) {
        if (BaudFromIndex(index) == uint32_t(*baud))
            return index;
    }
    return std::nullopt;
}

// "2A0", "2A0h", "0x2A0" or "$2A0": the three hexadecimal digits the connection dialog reads.
std::optional<QString> BaseAddressOption(QString text)
{
    if (text.endsWith(u'h') || text.endsWith(u'H'))
        text.chop(1);
    if (text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
        text.remove(0, 2);
    else if (text.startsWith(u'$'))
        text.remove(0, 1);
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (!ok || text.isEmpty() || text.size() > 3 || text.startsWith(u'+') || text.startsWith(u'-'))
        return std::nullopt;
    return BaseAddressText(uint16_t(value));
}

// Reads the option values into the options; the text of the first bad one.
std::optional<QString> TakeValues(const QCommandLineParser& parser, Options& options)
{
    const auto given = [&parser](const char* name) { return parser.isSet(Text(name)); };
    const auto value = [&parser](const char* name) { return parser.value(Text(name)); };
    ConnectionOverrides& connection = options.connection;

    if (given("interface")) {
        const QString name = value("interface").toLower();
        for (size_t type = 0; type < InterfaceNames.size(); ++type) {
            if (name == Text(InterfaceNames[type]))
                connection.interfaceType = int(type);
        }
        if (!connection.interfaceType)
            return QStringLiteral("--interface: zadejte com, isa, pci, usb nebo lan.");
    }
    if (given("com")) {
        const std::optional<int32_t> port = Number(value("com"), 1, 255);
        if (!port)
            return QStringLiteral("--com: číslo portu musí být 1 až 255.");
        connection.comPort = QString::number(*port);
    }
    if (given("base")) {
        connection.baseAddress = BaseAddressOption(value("base"));
        if (!connection.baseAddress)
            return QStringLiteral("--base: zadejte nejvýš tři šestnáctkové číslice, např. 300.");
    }
    // Values from SERKON.ini go to the connection attempt as they are, which refuses them with the
    // connection dialog's texts; a value typed here is a usage error.
    if (given("ip")) {
        connection.ipAddress = value("ip").trimmed();
        if (connection.ipAddress->isEmpty())
            return QStringLiteral("--ip: zadejte IP adresu LAN konvertoru, např. 192.168.1.100.");
    }
    if (given("udp-port")) {
        const std::optional<int32_t> port = Number(value("udp-port"), 1, 65535);
        if (!port)
            return QStringLiteral("--udp-port: UDP port musí být 1 až 65535.");
        connection.udpPort = QString::number(*port);
    }
    if (given("udp-timeout")) {
        const std::optional<int32_t> timeout = Number(value("udp-timeout"), 0, 65535);
        if (!timeout)
            return QStringLiteral("--udp-timeout: UDP timeout musí být 0 až 65535 ms.");
        connection.udpTimeout = QString::number(*timeout);
    }
    if (given("address")) {
        const std::optional<int32_t> address = Number(value("address"), 0, 255);
        if (!address)
            return QStringLiteral("--address: adresa modulu musí být 0 až 255.");
        connection.address = uint8_t(*address);
    }
    if (given("speed")) {
        connection.speedIndex = SpeedIndexOf(value("speed"));
        if (!connection.speedIndex)
            return QStringLiteral("--speed: zadejte jednu z rychlostí 600, 1200, 2400, 4800, 9600, "
                                  "19200, 38400, 57600, 115200.");
    }
    options.quiet = given("quiet");

    if (given("model")) {
        options.model = FindModel(value("model").toStdString());
        if (options.model == nullptr)
            return QStringLiteral("--model: neznámý model %1.").arg(value("model"));
    }
    options.outputFile = value("output");
    options.reportFile = value("report");
    options.watch = given("watch");
    options.store = given("store");
    options.save = given("save");
    if (given("interval")) {
        const std::optional<int32_t> interval = Number(value("interval"), 10, 86400000);
        if (!interval)
            return QStringLiteral("--interval: zadejte 10 až 86400000 ms.");
        options.intervalMs = *interval;
    }
    if (given("interval") && !options.watch)
        return QStringLiteral("--interval platí jen se --watch.");
    if (given("from")) {
        const std::optional<int32_t> from = Number(value("from"), 0, 255);
        if (!from)
            return QStringLiteral("--from: adresa musí být 0 až 255.");
        options.fromAddress = uint8_t(*from);
    }
    if (given("to")) {
        const std::optional<int32_t> to = Number(value("to"), 0, 255);
        if (!to)
            return QStringLiteral("--to: adresa musí být 0 až 255.");
        options.toAddress = uint8_t(*to);
    }
    if (given("margin")) {
        const std::optional<int32_t> margin = Number(value("margin"), 0, 1000);
        if (!margin)
            return QStringLiteral("--margin: zadejte 0 až 1000 ms.");
        options.marginMs = *margin;
    }
    if (options.fromAddress > options.toAddress)
        return QStringLiteral("--from nesmí být větší než --to.");
    if (given("speeds")) {
        const QString speeds = value("speeds");
        if (speeds.compare(QStringLiteral("all"), Qt::CaseInsensitive) == 0) {
            for (uint8_t index = 0; index < BusSpeedCount; ++index)
                options.speedIndexes.push_back(index);
        } else {
            for (const QString& speed : speeds.split(u',')) {
                const std::optional<uint8_t> index = SpeedIndexOf(speed.trimmed());
                if (!index)
                    return QStringLiteral("--speeds: %1 není jedna z devíti rychlostí.").arg(speed);
                // A speed named again is scanned once, where it was first named.
                if (std::find(options.speedIndexes.begin(), options.speedIndexes.end(), *index)
                    == options.speedIndexes.end())
                    options.speedIndexes.push_back(*index);
            }
        }
    }
    return std::nullopt;
}

void AddOptions(QCommandLineParser& parser)
{
    for (const OptionInfo& entry : OptionTable) {
        QStringList names{Text(entry.name)};
        if (entry.shortName)
            names.prepend(Text(entry.shortName));
        QCommandLineOption option(names);
        if (entry.valueName)
            option.setValueName(Text(entry.valueName));
        parser.addOption(option);
    }
}

QString Dashed(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// A switch given a value: "--watch=5", "-q=1".
std::optional<QString> SwitchWithAValue(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--"))
            break;
        if (!argument.startsWith(u'-') || !argument.contains(u'='))
            continue;
        const qsizetype dashes = argument.startsWith(QStringLiteral("--")) ? 2 : 1;
        const QString name = argument.mid(dashes).section(u'=', 0, 0);
        const OptionInfo* option = FindOption(name);
        if (option != nullptr && option->valueName == nullptr)
            return Dashed(name);
    }
    return std::nullopt;
}

// The option that takes a value and ends the command line without one.
std::optional<QString> OptionMissingItsValue(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return std::nullopt;
    const QString& last = arguments.back();
    for (const OptionInfo& option : OptionTable) {
        if (option.valueName == nullptr)
            continue;
        if (last == Dashed(Text(option.name))
            || (option.shortName && last == Dashed(Text(option.shortName))))
            return last;
    }
    return std::nullopt;
}

// The parser words its errors in English; the tool tells them in Czech.
QString ParserErrorText(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QStringLiteral("Neznámá volba %1.").arg(Dashed(unknown.front()));
    if (const std::optional<QString> option = SwitchWithAValue(arguments))
        return QStringLiteral("Volba %1 nebere hodnotu.").arg(*option);
    if (const std::optional<QString> option = OptionMissingItsValue(arguments))
        return QStringLiteral("Volba %1 potřebuje hodnotu.").arg(*option);
    return QStringLiteral("Chybný zápis voleb (serkon-cli --help).");
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    AddOptions(parser);
    if (!parser.parse(arguments))
        return Usage(ParserErrorText(parser, arguments));
    if (parser.isSet(QStringLiteral("version")))
        return Show(QStringLiteral("serkon-cli %1\n").arg(QStringLiteral(SERKON_VERSION)));

    QStringList positional = parser.positionalArguments();
    const bool help = parser.isSet(QStringLiteral("help"));
    if (positional.isEmpty())
        return help ? Show(GeneralHelp()) : Usage(QStringLiteral("Chybí příkaz (serkon-cli --help)."));
    const CommandInfo* command = TakeCommand(positional);
    if (command == nullptr)
        return Usage(QStringLiteral("Neznámý příkaz %1 (serkon-cli --help).")
                         .arg(parser.positionalArguments().front()));
    if (help)
        return Show(CommandHelp(*command));
    if (command->command == Command::LinkPort && ThisPlatformHelp.linkPortRefusal)
        return Usage(Text(ThisPlatformHelp.linkPortRefusal));

    // The command is known: a write refused from here on still leaves its line in the report.
    CommandLine line;
    line.options.command = command->command;
    line.options.reportFile = parser.value(QStringLiteral("report"));
    line.options.profileFile = positional.value(0);
    for (const QString& name : parser.optionNames()) {
        const OptionInfo* option = FindOption(name);
        if (option == nullptr || !CommandAllows(*command, *option))
            return Usage(QStringLiteral("Příkaz %1 nezná volbu --%2.")
                             .arg(Text(command->name), option ? Text(option->name) : name),
                         line.options);
    }
    if (positional.size() != command->files) {
        return Usage(command->files == 0
                         ? QStringLiteral("Příkaz %1 nebere argument %2.").arg(Text(command->name), positional.value(0))
                         : command->command == Command::Write
                         ? QStringLiteral("Příkaz %1 potřebuje soubor profilu.").arg(Text(command->name))
                         : QStringLiteral("Příkaz %1 potřebuje argumenty %2.")
                               .arg(Text(command->name), Text(command->arguments)),
                     line.options);
    }
    if (const std::optional<QString> bad = TakeValues(parser, line.options))
        return Usage(*bad, line.options);
    if (command->command == Command::LinkPort) {
        const std::optional<QString> name = PortLinkName(positional[0]);
        if (!name)
            return Usage(QStringLiteral("Odkaz %1 nelze udělat: název je com1 až com255, usb nebo pci.")
                             .arg(positional[0]));
        line.options.linkName = *name;
        line.options.linkTarget = positional[1];
    }
    line.action = CommandLine::Action::Run;
    return line;
}
