// Where the interfaces find their serial devices on Linux, beyond PortLocator.h.
//
// A link in the folder `ports/` overrides the default, as Wine's dosdevices do: `ports/comN` for
// COM port N, `ports/usb` for the USB converter, `ports/pci` for the PCI card. The folder lies
// beside the driver libraries (the program's folder), or in the user's configuration folder
// where the program's folder cannot be written (UserFolder.h). The link may point at any serial
// device, for example a /dev/serial/by-id path or the pseudo-terminal of serkon-sim.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace driverlib {

// The folder ports/ of the user's files for the libraries' folder; empty when there is none.
std::string PortsDirectory();

// ports/<name> of the folder of the user's files, when it exists (as a link or a file). When the
// folder is the user's configuration folder rather than the libraries' own, a link counts only
// while that folder and its ports/ are real folders of the user's own that no group or other
// user may write into, the folders serkon-cli makes: whoever could replace a link there could
// send the driver to another device, or a module to a program of theirs. PortLinksUntrusted then.
int32_t FindPortLink(const std::string& userFiles, const std::string& libraries,
                     const std::string& name, std::optional<std::string>& link);

// The tty of the PCI card under a sysfs root ("/sys" normally): the card's PCI device by
// vendor and device id, then its lowest-numbered tty (ttyS9 before ttyS10). Empty when there
// is none.
std::optional<std::string> FindPciCardTty(const std::string& sysfsRoot);

} // namespace driverlib
