// The text of serkon-cli ports: the machine's serial ports and the links of ports/.
#pragma once

#include "PortLinks.h"

#include "PortLocator.h"

#include <QString>

#include <vector>

// The ports, each with its USB ids and serial number where it has them, its stable path under
// the by-id folder, and a mark on the one the USB converter's library takes (none when a link
// ports/usb overrides that choice).
QString PortsText(const std::vector<driverlib::SerialPortEntry>& ports, bool usbLinked,
                  const QString& byIdDirectory = QStringLiteral("/dev/serial/by-id"));

// The links of ports/ with the devices they lead to.
QString LinksText(const QString& directory, const std::vector<PortLink>& links);
