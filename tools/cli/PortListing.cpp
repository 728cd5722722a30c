#include "PortListing.h"

#include "DriverCodes.h"

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// The product string is told where the description does not hold it already (Windows names a
// port by its driver, "USB Serial Port (COM3)").
QString UsbDetails(const driverlib::SerialPortEntry& port)
{
    const driverlib::UsbSerialPort& usb = *port.usb;
    QString details = QStringLiteral("USB %1:%2")
                          .arg(usb.vendorId, 4, 16, QLatin1Char('0'))
                          .arg(usb.productId, 4, 16, QLatin1Char('0'));
    if (!usb.product.empty() && port.description.find(usb.product) == std::string::npos)
        details += QStringLiteral(", produkt ") + Text(usb.product);
    if (!port.manufacturer.empty())
        details += QStringLiteral(", výrobce ") + Text(port.manufacturer);
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

} // namespace

QString PortsText(const std::vector<driverlib::SerialPortEntry>& ports, bool usbLinked, const StablePortName& stableName)
{
    if (ports.empty())
        return QStringLiteral("Sériové porty: žádné\n");
    const std::string converter = usbLinked ? std::string() : UsbConverterPath(ports);
    QString text = QStringLiteral("Sériové porty:\n");
    for (const driverlib::SerialPortEntry& port : ports) {
        const QString path = Text(port.path);
        text += QStringLiteral("  %1  %2").arg(path, Text(port.description));
        if (port.usb)
            text += QStringLiteral(" (%1)").arg(UsbDetails(port));
        text += u'\n';
        const QString stable = stableName ? stableName(path) : QString();
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
