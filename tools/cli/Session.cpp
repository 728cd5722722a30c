#include "Session.h"

#include "core/Settings.h"
#include "drivers/DriverBinding.h"

namespace {

struct Override {
    const std::optional<QString>* value;
    const char* option;
    int interfaceType;
    size_t row;  // of the connection dialog's parameter rows
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

    const Override rows[] = {
        {&overrides.comPort, "com", InterfaceCom, 0},
        {&overrides.baseAddress, "base", InterfaceIsa, 0},
        {&overrides.ipAddress, "ip", InterfaceLan, 0},
        {&overrides.udpPort, "udp-port", InterfaceLan, 1},
        {&overrides.udpTimeout, "udp-timeout", InterfaceLan, 2},
    };
    for (const Override& row : rows) {
        if (!row.value->has_value())
            continue;
        if (input_.interfaceType != row.interfaceType)
            return QStringLiteral("--%1 neplatí pro rozhraní „%2“.")
                .arg(QString::fromLatin1(row.option), InterfaceCaption(input_.interfaceType));
        input_.parameters[row.row] = **row.value;
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

ConnectionResult Session::Try()
{
    return InitializeConnection(data_, input_);
}

void Session::Close()
{
    if (!ConnectionReady(data_))
        return;
    uint32_t handle = data_.DriverHandle;
    CloseDriver(data_.InterfaceType, &handle);
    data_.DriverHandle = handle;
    data_.Connected = 0;
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
