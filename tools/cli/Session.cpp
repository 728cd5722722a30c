#include "Session.h"
#include "ExitCodes.h"

#include "core/Settings.h"
#include "drivers/SpeedTables.h"

namespace {

// The command line's option for each parameter row of the connection dialog.
struct ParameterOption {
    std::optional<QString> ConnectionOverrides::*value;
    const char* option;
    int interfaceType;
    size_t row;
};

const ParameterOption ParameterOptions[] = {
    {&ConnectionOverrides::comPort, "com", InterfaceCom, 0},
    {&ConnectionOverrides::baseAddress, "base", InterfaceIsa, 0},
    {&ConnectionOverrides::ipAddress, "ip", InterfaceLan, 0},
    {&ConnectionOverrides::udpPort, "udp-port", InterfaceLan, 1},
    {&ConnectionOverrides::udpTimeout, "udp-timeout", InterfaceLan, 2},
};

} // namespace

Session::Session(ProgressOutput& output) : output_(output)
{
    InitData(data_);
}

Session::~Session()
{
    Close();
}

std::optional<QString> Session::Prepare(const ConnectionOverrides& overrides)
{
    LoadSettings(&data_);
    if (overrides.interfaceType)
        data_.InterfaceType = uint8_t(*overrides.interfaceType);
    input_ = ConnectionInputFromRecord(data_);

    for (const ParameterOption& row : ParameterOptions) {
        const std::optional<QString>& value = overrides.*row.value;
        if (!value)
            continue;
        if (input_.interfaceType != row.interfaceType)
            return QStringLiteral("--%1 neplatí pro rozhraní „%2“.")
                .arg(QString::fromLatin1(row.option), InterfaceCaption(input_.interfaceType));
        input_.parameters[row.row] = *value;
    }
    if (overrides.address)
        input_.moduleAddress = QString::number(*overrides.address);
    if (overrides.speedIndex)
        input_.speedIndex = *overrides.speedIndex;
    return std::nullopt;
}

ConnectionResult Session::Open()
{
    // The first text is the attempt under way; the outcome is the result's panel text.
    bool first = true;
    const ConnectionResult result = InitializeConnection(data_, input_, [&](const QString& text) {
        if (first)
            output_.Progress(text);
        first = false;
    });
    if (result.connected)
        output_.Note(result.panelText);
    else
        output_.Error(result.panelText);
    return result;
}

void Session::Close()
{
    CloseConnection(data_);
}

std::optional<Session::Refusal> Session::StoreConnection(uint8_t address, uint8_t speedIndex)
{
    TData stored = data_;
    std::array<QString, 3> rows;
    if (const std::optional<QString> refused = TakeConnectionInput(stored, input_, rows))
        return Refusal{ExitConnectionFailed, *refused};
    stored.ModuleAddress = address;
    stored.Speed = BaudFromIndex(speedIndex);
    QString failure;
    if (!SaveSettings(&stored, &failure))
        return Refusal{ExitFileNotWritten,
                       QStringLiteral("Nastavení připojení se nepodařilo uložit: ") + failure};
    return std::nullopt;
}

QString Session::SettingsText() const
{
    QString text = QStringLiteral("interface=%1\naddress=%2\nspeed=%3\n")
                       .arg(InterfaceOptionName(input_.interfaceType), input_.moduleAddress)
                       .arg(BaudFromIndex(uint8_t(input_.speedIndex)));
    for (const ParameterOption& row : ParameterOptions) {
        if (row.interfaceType == input_.interfaceType)
            text += QStringLiteral("%1=%2\n").arg(QString::fromLatin1(row.option), input_.parameters[row.row]);
    }
    return text;
}

QString Session::InterfaceDescription() const
{
    const QString caption = InterfaceCaption(input_.interfaceType);
    const std::array<QString, 3>& rows = input_.parameters;
    switch (input_.interfaceType) {
    case InterfaceCom:
        return QStringLiteral("%1 (COM%2)").arg(caption, rows[0]);
    case InterfaceIsa:
        return QStringLiteral("%1 (%2)").arg(caption, rows[0]);
    case InterfaceLan:
        return QStringLiteral("%1 (%2:%3)").arg(caption, rows[0], rows[1]);
    default:
        return caption;
    }
}
