// Where the interfaces find their serial devices on Linux, beyond PortLocator.h.
//
// A link in the folder `ports/` overrides the default, as Wine's dosdevices do: `ports/comN` for
// COM port N, `ports/usb` for the USB converter, `ports/pci` for the PCI card. The folder lies
// beside the driver libraries (the program's folder), or in the user's configuration folder
// where the program's folder cannot be written (UserFolder.h). The link may point at any serial
// device, for example a /dev/serial/by-id path or the pseudo-terminal of serkon-sim.
#pragma once

#include <optional>
#include <string>

namespace driverlib {

// The folder ports/ of the user's files for the libraries' folder; empty when there is none.
std::string PortsDirectory();

// ports/<name>, when it exists (as a link or a file).
std::optional<std::string> PortOverride(const std::string& name);

// The tty of the PCI card under a sysfs root ("/sys" normally): the card's PCI device by
// vendor and device id, then its lowest-numbered tty (ttyS9 before ttyS10). Empty when there
// is none.
std::optional<std::string> FindPciCardTty(const std::string& sysfsRoot);

} // namespace driverlib
