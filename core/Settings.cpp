#include "Settings.h"

#include "IniFile.h"
#include "ProgramDirectory.h"
#include "UserFiles.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace {

const QString SectionConnection = QStringLiteral("Připojení");
const QString KeyInterface = QStringLiteral("Rozhraní");
const QString KeyAddress = QStringLiteral("Adresa");
const QString KeySpeed = QStringLiteral("Rychlost");
const QString SectionCom = QStringLiteral("COMx");
const QString KeyComPort = QStringLiteral("Číslo portu");
const QString SectionIsa = QStringLiteral("RVA-770");
const QString KeyBaseAddress = QStringLiteral("Bázová adresa");
const QString SectionLan = QStringLiteral("RVD-773");
const QString KeyIpAddress = QStringLiteral("IP adresa");
const QString KeyUdpPort = QStringLiteral("UDP port");
const QString KeyUdpTimeout = QStringLiteral("UDP timeout");

// The stored name of each interface type, by type.
const std::array<QString, InterfaceTypeCount> InterfaceNames = {
    QStringLiteral("COMx"),    QStringLiteral("RVA-770"), QStringLiteral("RVB-771"),
    QStringLiteral("RVC-772"), QStringLiteral("RVD-773"),
};

const QString MissingInterface = QStringLiteral("jkl");

const QString SettingsFileName = QStringLiteral("SERKON.ini");

// A name in the folder, as a file or a link, even one that leads nowhere.
bool Exists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Overlays the record's settings on the file at `source` and stores the result at `target`.
bool Store(const QString& source, const QString& target, const TData* data, QString* failure);

} // namespace

QString SettingsFilePath()
{
    const QString directory = UserFilesDirectory();
    return directory.isEmpty() ? QString() : QDir(directory).filePath(SettingsFileName);
}

QString SettingsSourcePath()
{
    const QString stored = SettingsFilePath();
    const QString shipped = ProgramFilePath(SettingsFileName);
    return stored.isEmpty() || Exists(stored) || !Exists(shipped) ? stored : shipped;
}

bool LoadSettings(TData* data)
{
    return LoadSettingsFrom(SettingsSourcePath(), data);
}

bool LoadSettingsFrom(const QString& path, TData* data)
{
    if (!data || path.isEmpty())
        return false;
    // A file that cannot be read leaves the defaults; saving over it will say why.
    const std::optional<IniFile> stored = IniFile::Load(path);
    if (!stored)
        return false;
    const IniFile& ini = *stored;
    const QString interfaceName = ini.ReadString(SectionConnection, KeyInterface, MissingInterface);
    if (interfaceName == MissingInterface)
        return false;

    // Narrow fields keep the low-order bits of what is stored.
    data->ModuleAddress = uint8_t(ini.ReadInteger(SectionConnection, KeyAddress, data->ModuleAddress));
    data->Speed = uint32_t(ini.ReadInteger(SectionConnection, KeySpeed, int32_t(data->Speed)));
    data->BaseAddress = uint16_t(ini.ReadInteger(SectionIsa, KeyBaseAddress, data->BaseAddress));
    data->ComPort = uint8_t(ini.ReadInteger(SectionCom, KeyComPort, data->ComPort));
    data->IpAddress = ini.ReadString(SectionLan, KeyIpAddress, data->IpAddress);
    data->UdpPort = ini.ReadInteger(SectionLan, KeyUdpPort, data->UdpPort);
    data->UdpTimeout = ini.ReadInteger(SectionLan, KeyUdpTimeout, data->UdpTimeout);

    for (size_t type = 0; type < InterfaceNames.size(); ++type) {
        if (interfaceName == InterfaceNames[type])
            data->InterfaceType = uint8_t(type);
    }
    return true;
}

bool SaveSettings(const TData* data, QString* failure)
{
    const QString path = SettingsFilePath();
    if (data && !path.isEmpty() && !MakeUserFilesDirectory(QFileInfo(path).path(), failure))
        return false;
    return Store(SettingsSourcePath(), path, data, failure);
}

bool SaveSettingsTo(const QString& path, const TData* data, QString* failure)
{
    return Store(path, path, data, failure);
}

namespace {

bool Store(const QString& source, const QString& target, const TData* data, QString* failure)
{
    if (!data)
        return false;
    if (target.isEmpty()) {
        if (failure)
            *failure = QStringLiteral("Nelze zjistit složku programu, soubor SERKON.ini nelze uložit.");
        return false;
    }
    // Settings are written into the file as it is; one that cannot be read is left alone rather
    // than replaced by a file holding the settings alone.
    std::optional<IniFile> stored = IniFile::Load(source, failure);
    if (!stored)
        return false;
    IniFile& ini = *stored;
    switch (data->InterfaceType) {
    case InterfaceIsa:
        ini.WriteString(SectionConnection, KeyInterface, InterfaceNames[InterfaceIsa]);
        ini.WriteInteger(SectionIsa, KeyBaseAddress, data->BaseAddress);
        break;
    case InterfacePci:
    case InterfaceUsb:
        ini.WriteString(SectionConnection, KeyInterface, InterfaceNames[data->InterfaceType]);
        break;
    case InterfaceLan:
        ini.WriteString(SectionConnection, KeyInterface, InterfaceNames[InterfaceLan]);
        ini.WriteString(SectionLan, KeyIpAddress, data->IpAddress);
        ini.WriteInteger(SectionLan, KeyUdpPort, data->UdpPort);
        ini.WriteInteger(SectionLan, KeyUdpTimeout, data->UdpTimeout);
        break;
    default: // the COM port, and any type beyond the list
        ini.WriteString(SectionConnection, KeyInterface, InterfaceNames[InterfaceCom]);
        ini.WriteInteger(SectionCom, KeyComPort, data->ComPort);
        break;
    }
    ini.WriteInteger(SectionConnection, KeyAddress, data->ModuleAddress);
    ini.WriteInteger(SectionConnection, KeySpeed, int32_t(data->Speed));
    return ini.Save(target, failure);
}

} // namespace
