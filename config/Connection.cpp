#include "Connection.h"

#include "core/Cp1250.h"
#include "core/IniFile.h"
#include "drivers/DriverBinding.h"
#include "drivers/ErrorCodes.h"
#include "drivers/InterfaceTypes.h"
#include "drivers/SpeedTables.h"
#include "drivers/Transaction.h"

#include <QByteArray>

namespace {

const QString InitialisingText = QStringLiteral("Probíhá inicializace připojení");
const QString FailurePrefix = QStringLiteral("Chyba inicializace připojení - ");
const QString SuccessPrefix = QStringLiteral("Připojení úspěšně inicializováno. Připojen modul   ");
const QString InvalidIpAddressText = QStringLiteral("Neplatná IP adresa");
const QString InvalidUdpPortText = QStringLiteral("Neplatný UDP port");
const QString InvalidUdpTimeoutText = QStringLiteral("Neplatný UDP timeout");
const QString UnknownInterfaceText = QStringLiteral("Neznámý typ rozhraní");
const QString ConnectedStatusText = QStringLiteral("V pořádku");

constexpr uint16_t DefaultBaseAddress = 0x300;
constexpr int32_t UdpValueMax = 65535;
constexpr int32_t ConfigureOption = 2;
constexpr uint8_t IdentificationParts = 3;
const QChar UnreadableCharacter = QChar(0x00B7); // middle dot

// The LAN driver's Init reads the IP address from a zero-terminated single-byte text whose
// address travels in the parameter block. The text stays here until the next attempt, so the
// address kept in the record's block never dangles.
QByteArray& IpAddressCharacters()
{
    static QByteArray characters;
    return characters;
}

std::optional<int32_t> IntegerFromText(const QString& text)
{
    return ParseIniInteger(text.trimmed());
}

bool IsHexDigit(QChar ch)
{
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
}

void CloseFailedConnection(TData& data, uint32_t& handle)
{
    CloseDriver(data.InterfaceType, &handle);
    data.DriverHandle = handle;
    data.Connected = 0;
}

// Reads the parameter rows of the interface into the record and the driver's parameter block.
// Returns the panel text when the input is refused.
std::optional<QString> TakeParameters(TData& data, std::array<QString, 3>& rows)
{
    switch (data.InterfaceType) {
    case InterfaceCom: {
        const uint16_t port = ComPortFromText(rows[0]);
        rows[0] = QString::number(port);
        data.ComPort = uint8_t(port & 0xFF);
        data.DriverConfig[0] = port;
        return std::nullopt;
    }
    case InterfaceIsa: {
        const uint16_t base = BaseAddressFromText(rows[0]);
        rows[0] = BaseAddressText(base);
        data.BaseAddress = base;
        data.DriverConfig[0] = base;
        return std::nullopt;
    }
    case InterfacePci:
    case InterfaceUsb:
        data.DriverConfig[0] = 0;
        return std::nullopt;
    case InterfaceLan:
        break;
    default:
        return UnknownInterfaceText;
    }

    if (rows[0].isEmpty())
        return InvalidIpAddressText;
    data.IpAddress = rows[0];
    const std::optional<int32_t> port = UdpValueFromText(rows[1]);
    if (!port)
        return InvalidUdpPortText;
    data.UdpPort = *port;
    const std::optional<int32_t> timeout = UdpValueFromText(rows[2]);
    if (!timeout)
        return InvalidUdpTimeoutText;
    data.UdpTimeout = *timeout;

    IpAddressCharacters() = EncodeCp1250(data.IpAddress);
    data.DriverConfig[0] = reinterpret_cast<intptr_t>(IpAddressCharacters().constData());
    data.DriverConfig[1] = data.UdpPort;
    data.DriverConfig[2] = data.UdpTimeout;
    return std::nullopt;
}

QString CharactersOf(const ModuleData& bytes)
{
    QString text;
    for (uint8_t byte : bytes)
        text += Cp1250ToChar(byte);
    return text;
}

uint8_t SpeedIndexOf(int listIndex)
{
    return listIndex >= 0 && listIndex < BusSpeedCount ? uint8_t(listIndex) : DefaultSpeedIndex;
}

} // namespace

ParameterRows ParameterRowsFor(const TData& data, int interfaceType)
{
    ParameterRows rows;
    switch (interfaceType) {
    case InterfaceCom:
        rows[0] = {true, QStringLiteral("Číslo portu COMx"), QString::number(data.ComPort)};
        break;
    case InterfaceIsa:
        rows[0] = {true, QStringLiteral("Bázová adresa RVA-770"), BaseAddressText(data.BaseAddress)};
        break;
    case InterfaceLan:
        rows[0] = {true, QStringLiteral("IP adresa"), data.IpAddress};
        rows[1] = {true, QStringLiteral("UDP port"), QString::number(data.UdpPort)};
        rows[2] = {true, QStringLiteral("UDP timeout"), QString::number(data.UdpTimeout)};
        break;
    default:
        break;
    }
    return rows;
}

ConnectionInput ConnectionInputFromRecord(const TData& data)
{
    ConnectionInput input;
    input.interfaceType = data.InterfaceType;
    input.moduleAddress = QString::number(data.ModuleAddress);
    input.speedIndex = IndexFromBaud(data.Speed);
    const ParameterRows rows = ParameterRowsFor(data, data.InterfaceType);
    for (size_t i = 0; i < rows.size(); ++i)
        input.parameters[i] = rows[i].text;
    return input;
}

QString InterfaceCaption(int interfaceType)
{
    if (interfaceType < 0 || !IsInterfaceType(uint8_t(interfaceType)))
        return {};
    return QString::fromUtf8(InterfaceTypes[size_t(interfaceType)].caption);
}

QString SpeedCaption(uint8_t speedIndex)
{
    return QString::number(BaudFromIndex(speedIndex)) + QStringLiteral(" Bd");
}

uint8_t ModuleAddressFromText(const QString& text)
{
    return uint8_t(uint32_t(IntegerFromText(text).value_or(0)) & 0xFF);
}

uint16_t ComPortFromText(const QString& text)
{
    return uint16_t(uint32_t(IntegerFromText(text).value_or(1)) & 0xFFFF);
}

uint16_t BaseAddressFromText(const QString& text)
{
    if (text.size() != 4)
        return DefaultBaseAddress;
    for (qsizetype i = 0; i < 3; ++i) {
        if (!IsHexDigit(text[i]))
            return DefaultBaseAddress;
    }
    return uint16_t(text.left(3).toUInt(nullptr, 16));
}

QString BaseAddressText(uint16_t baseAddress)
{
    return QString::number(baseAddress, 16).toUpper().rightJustified(3, u'0') + u'h';
}

std::optional<int32_t> UdpValueFromText(const QString& text)
{
    const std::optional<int32_t> value = IntegerFromText(text);
    if (!value || *value < 0 || *value > UdpValueMax)
        return std::nullopt;
    return value;
}

QString DisplayModuleName(const QString& moduleName)
{
    QString shown = moduleName;
    // Besides the C0 controls and DEL, the C1 controls stand for the five codes that
    // Windows-1250 leaves unassigned; none of them has a glyph.
    for (QChar& ch : shown) {
        if (ch.category() == QChar::Other_Control)
            ch = UnreadableCharacter;
    }
    return shown;
}

std::optional<QString> TakeConnectionInput(TData& data, const ConnectionInput& input,
                                           std::array<QString, 3>& rows)
{
    rows = input.parameters;
    if (input.interfaceType < 0 || !IsInterfaceType(uint8_t(input.interfaceType)))
        return UnknownInterfaceText;
    data.InterfaceType = uint8_t(input.interfaceType);
    data.DriverConfig.fill(0);
    return TakeParameters(data, rows);
}

DriverSettings ConnectionSettings(uint8_t speedIndex)
{
    return {TimeoutFromIndex(speedIndex), ConfigureOption};
}

ConnectionResult OpenDriver(TData& data, const ConnectionInput& input, uint32_t& handle,
                            const ConnectionReporter& report,
                            const std::optional<DriverSettings>& settings)
{
    ConnectionResult result;
    result.parameters = input.parameters;
    const auto show = [&](const QString& text) {
        result.panelText = text;
        if (report)
            report(text);
        return result;
    };

    // An attempt begins by closing the connection that is still open.
    CloseConnection(data);
    handle = data.DriverHandle;
    show(InitialisingText);

    const uint8_t address = ModuleAddressFromText(input.moduleAddress);
    result.moduleAddress = QString::number(address);
    const uint8_t speedIndex = SpeedIndexOf(input.speedIndex);

    if (const std::optional<QString> refused = TakeConnectionInput(data, input, result.parameters))
        return show(*refused);

    result.stage = ConnectionStage::Load;
    int32_t code = LoadDriver(data.InterfaceType, &handle, data.DriverConfig);
    QString codeText = DriverErrorString(data.InterfaceType, uint32_t(code));
    if (code != CodeSuccess) {
        data.Connected = 0;
        return show(FailurePrefix + codeText);
    }

    data.Connected = 1;
    result.stage = ConnectionStage::Configure;
    const DriverSettings chosen = settings.value_or(ConnectionSettings(speedIndex));
    code = ConfigureDriver(data.InterfaceType, handle, int32_t(BaudFromIndex(speedIndex)),
                           chosen.timeout, chosen.option);
    codeText = DriverErrorString(data.InterfaceType, uint32_t(code));
    if (code != CodeSuccess) {
        show(FailurePrefix + codeText);
        CloseFailedConnection(data, handle);
        return result;
    }
    result.stage = ConnectionStage::Identify;
    return result;
}

Identification IdentifyModule(const TData& data, uint32_t handle, uint8_t address)
{
    // Name part 1, name part 2 and the version, four characters each.
    std::array<QString, IdentificationParts> parts;
    uint8_t extra = 0;
    DriverBuffer response{};
    Identification identification;
    for (uint8_t subcode = 0; subcode < IdentificationParts; ++subcode) {
        ModuleData bytes{};
        // A driver that opened without giving a handle gets no transaction sent; that must not
        // pass for a module that answered.
        uint8_t status = CodeNoDriver;
        ModuleTransaction(data.InterfaceType, handle, address, CmdIdentify, subcode, extra, bytes,
                          status, response);
        identification.status = status;
        identification.statusText = DriverErrorString(data.InterfaceType, status);
        if (status != CodeSuccess)
            return identification;
        parts[subcode] = CharactersOf(bytes);
    }
    identification.moduleName = parts[0] + parts[1] + QStringLiteral(" v.") + parts[2];
    return identification;
}

ConnectionResult InitializeConnection(TData& data, const ConnectionInput& input,
                                      const ConnectionReporter& report)
{
    uint32_t handle = 0;
    ConnectionResult result = OpenDriver(data, input, handle, report);
    if (result.stage != ConnectionStage::Identify)
        return result;

    const uint8_t address = ModuleAddressFromText(result.moduleAddress);
    const Identification identification = IdentifyModule(data, handle, address);
    if (!identification.moduleName) {
        result.panelText = identification.statusText;
        if (report)
            report(result.panelText);
        CloseFailedConnection(data, handle);
        return result;
    }

    data.ModuleName = *identification.moduleName;
    result.connected = true;
    result.stage = ConnectionStage::Connected;
    result.panelText = SuccessPrefix + DisplayModuleName(data.ModuleName);
    if (report)
        report(result.panelText);
    data.ModuleAddress = address;
    data.Speed = BaudFromIndex(SpeedIndexOf(input.speedIndex));
    data.StatusText = ConnectedStatusText;
    data.DriverHandle = handle;
    return result;
}

void CloseConnection(TData& data)
{
    if (!ConnectionReady(data))
        return;
    CloseDriver(data.InterfaceType, &data.DriverHandle);
    data.Connected = 0;
}

QString ConnectionNotReadyText()
{
    return QStringLiteral(" Připojení k modulu není inicializováno.");
}
