// The links of the folder ports/ that the driver libraries take their serial devices from:
// comN (COM port N), usb (the USB converter) and pci (the PCI card).
#pragma once

#include <QString>

#include <optional>
#include <vector>

// The folder ports/ of the user's files; empty when it cannot be found out.
QString PortsDirectory();

// The link's name as the libraries look for it ("COM3" is "com3"); nothing when the text names
// no link: com1 to com255, usb and pci.
std::optional<QString> PortLinkName(const QString& text);

// Makes ports/NAME a link to the target, replacing an earlier one in a single rename and
// creating the folder when it is missing. False with the reason in `failure`.
bool MakePortLink(const QString& directory, const QString& name, const QString& target, QString* failure);

struct PortLink {
    QString name;    // "com3"
    QString target;  // as stored in the link
    QString device;  // the device it leads to, empty when it leads nowhere
};

// The links of the folder whose names the libraries look for, in name order.
std::vector<PortLink> ReadPortLinks(const QString& directory);

// The link under /dev/serial/by-id (or the folder given) that leads to the device; empty when
// there is none.
QString StablePortPath(const QString& device,
                       const QString& byIdDirectory = QStringLiteral("/dev/serial/by-id"));
