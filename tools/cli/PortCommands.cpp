// ports and ports link: the machine's serial ports and the links of ports/ that lead to them.
#include "Commands.h"
#include "ExitCodes.h"
#include "PortLinks.h"
#include "PortListing.h"
#include "SerialPortCheck.h"

#include <QFileInfo>

#include <algorithm>

namespace {

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
    const StablePortName byId = [](const QString& device) { return StablePortPath(device); };
    PrintOut(PortsText(driverlib::ListSerialPorts(), usbLinked, byId) + LinksText(directory, links));
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
