// The text of serkon-cli ports: the machine's serial ports and the links of ports/.
#pragma once

#include "PortLinks.h"

#include "PortLocator.h"

#include <QString>

#include <functional>
#include <vector>

// Another name of a port's device that stays the same (Linux: the link under /dev/serial/by-id);
// empty when there is none.
using StablePortName = std::function<QString(const QString& device)>;

// The ports, each with its USB ids, product string, maker and serial number where it has them,
// its stable name where the platform gives one, and a mark on the one the USB converter's
// library takes (none when a link ports/usb overrides that choice).
QString PortsText(const std::vector<driverlib::SerialPortEntry>& ports, bool usbLinked,
                  const StablePortName& stableName = {});

// The links of ports/ with the devices they lead to.
QString LinksText(const QString& directory, const std::vector<PortLink>& links);
