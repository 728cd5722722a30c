// ports and ports link: the machine's serial ports and the links of ports/ that lead to them.
#include "Commands.h"
#include "ExitCodes.h"
#include "PortLinks.h"

#include "DriverCodes.h"
#include "PortLocator.h"

#include <QFileInfo>

#include <algorithm>

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QString UsbDetails(const driverlib::UsbSerialPort& usb, const std::string& manufacturer)
{
    QString details = QStringLiteral("USB %1:%2")
                          .arg(usb.vendorId, 4, 16, QLatin1Char('0'))
                          .arg(usb.productId, 4, 16, QLatin1Char('0'));
    if (!manufacturer.empty())
        details += QStringLiteral(", výrobce ") + Text(manufacturer);
    if (!usb.serialNumber.empty())
        details += QStringLiteral(", sériové číslo ") + Text(usb.serialNumber);
    return details;
}

// The port the USB converter's library takes when ports/usb does not say otherwise.
std::string UsbConverterPath(const std::vector<driverlib::SerialPortEntry>& ports)
{
    std::vector<driverlib::UsbSerialPort> usb;
    for (const driverlib::SerialPortEntry& port : ports) {
        if (port.usb)
            usb.push_back(*port.usb);
    }
    const driverlib::UsbConverterChoice choice = driverlib::ChooseUsbConverter(usb);
    return choice.code == driverlib::Ok ? choice.path : std::string();
}

// The ports, each marked when it is the USB converter's; a link ports/usb overrides that choice.
QString PortsText(const std::vector<driverlib::SerialPortEntry>& ports, bool usbLinked)
{
    if (ports.empty())
        return QStringLiteral("Sériové porty: žádné\n");
    const std::string converter = usbLinked ? std::string() : UsbConverterPath(ports);
    QString text = QStringLiteral("Sériové porty:\n");
    for (const driverlib::SerialPortEntry& port : ports) {
        const QString path = Text(port.path);
        text += QStringLiteral("  %1  %2").arg(path, Text(port.description));
        if (port.usb)
            text += QStringLiteral(" (%1)").arg(UsbDetails(*port.usb, port.manufacturer));
        text += u'\n';
        const QString stable = StablePortPath(path);
        if (!stable.isEmpty())
            text += QStringLiteral("      %1\n").arg(stable);
        if (!converter.empty() && port.path == converter)
            text += QStringLiteral("      USB konvertor RVC-772\n");
    }
    return text;
}

QString LinksText(const QString& directory, const std::vector<PortLink>& links)
{
    if (links.empty())
        return QStringLiteral("Odkazy ve složce %1: žádné\n").arg(directory);
    QString text = QStringLiteral("Odkazy ve složce %1:\n").arg(directory);
    for (const PortLink& link : links) {
        const QString leadsTo = link.device.isEmpty() ? QStringLiteral("nevede na žádné zařízení")
                                                      : link.device;
        text += QStringLiteral("  %1 -> %2 (%3)\n").arg(link.name, link.target, leadsTo);
    }
    return text;
}

bool KnowsThePortsDirectory(const QString& directory, ProgressOutput& output)
{
    if (!directory.isEmpty())
        return true;
    output.Error(QStringLiteral("Nelze zjistit složku programu ani složku nastavení uživatele."));
    return false;
}

} // namespace

int RunPorts(const Options&, ProgressOutput& output)
{
    const QString directory = PortsDirectory();
    if (!KnowsThePortsDirectory(directory, output))
        return ExitFileNotWritten;
    const std::vector<PortLink> links = ReadPortLinks(directory);
    const bool usbLinked = std::any_of(links.begin(), links.end(),
                                       [](const PortLink& link) { return link.name == QStringLiteral("usb"); });
    PrintOut(PortsText(driverlib::ListSerialPorts(), usbLinked) + LinksText(directory, links));
    return ExitSuccess;
}

int RunLinkPort(const Options& options, ProgressOutput& output)
{
    const QString directory = PortsDirectory();
    if (!KnowsThePortsDirectory(directory, output))
        return ExitFileNotWritten;
    // The link lives elsewhere than the working directory, so a relative path is made whole.
    const QString target = QFileInfo(options.linkTarget).absoluteFilePath();
    if (const std::optional<QString> refusal = RefusalAsSerialPort(target)) {
        output.Error(*refusal);
        return ExitUsage;
    }
    QString failure;
    if (!MakePortLink(directory, options.linkName, target, &failure)) {
        output.Error(failure);
        return ExitFileNotWritten;
    }
    PrintOut(QStringLiteral("%1/%2 -> %3\n").arg(directory, options.linkName, target));
    return ExitSuccess;
}
