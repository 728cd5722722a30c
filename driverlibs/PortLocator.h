// Where each interface finds its serial device.
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
#include <vector>

namespace driverlib {

// The USB converter RVC-772: an FTDI FT232R bridge with the product string "RVC-772".
inline constexpr int UsbConverterVendorId = 0x0403;
inline constexpr int UsbConverterProductId = 0x6001;
inline constexpr const char* UsbConverterProduct = "RVC-772";

// The PCI card RVB-771.
inline constexpr unsigned PciCardVendorId = 0x1A4E;
inline constexpr unsigned PciCardDeviceId = 0x0771;

// The folder this driver library was loaded from, without a trailing slash.
std::string LibraryDirectory();

// The folder ports/ of the user's files for the libraries' folder; empty when there is none.
std::string PortsDirectory();

// ports/<name>, when it exists (as a link or a file).
std::optional<std::string> PortOverride(const std::string& name);

// /dev/ttyS(n-1), unless ports/comN overrides it. n must be at least 1.
std::string ComDevicePath(int comNumber);

struct UsbSerialPort {
    std::string path;
    int vendorId = 0;
    int productId = 0;
    std::string product;
    std::string serialNumber;
};

// A serial port of the machine: its device, libserialport's description of it, and for a USB
// port what its USB descriptor says.
struct SerialPortEntry {
    std::string path;
    std::string description;
    std::optional<UsbSerialPort> usb;
    std::string manufacturer;  // of a USB device
};

// The serial ports libserialport enumerates, in its order.
std::vector<SerialPortEntry> ListSerialPorts();

// The product strings an FT232R bridge reports when its maker left them as they came from
// the factory, or that libserialport gives when the string cannot be read.
bool IsGenericBridgeProduct(const std::string& product);

struct UsbConverterChoice {
    int32_t code = 0;  // Ok, UsbConverterNotFound or UsbConverterAmbiguous
    std::string path;
};

// The converter among the USB serial ports:
//  - a port whose product string names the converter ("RVC-772"), whatever its ids; of
//    several, the one with the lowest serial number, so that the choice does not depend on
//    plug-in order;
//  - failing that, a port with the converter's ids and a generic product string, when it is
//    the only such port (with several, which one is the converter cannot be told: ambiguous).
UsbConverterChoice ChooseUsbConverter(const std::vector<UsbSerialPort>& ports);

// The USB serial ports libserialport enumerates.
std::vector<UsbSerialPort> ListUsbSerialPorts();

// The tty of the PCI card under a sysfs root ("/sys" normally): the card's PCI device by
// vendor and device id, then its lowest-numbered tty (ttyS9 before ttyS10). Empty when there
// is none.
std::optional<std::string> FindPciCardTty(const std::string& sysfsRoot);

// Orders tty names by their stem, then by the number they end in: ttyS2 < ttyS9 < ttyS10.
bool TtyNameLess(const std::string& left, const std::string& right);

} // namespace driverlib
