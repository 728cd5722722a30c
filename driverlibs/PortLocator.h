// Where each interface finds its serial device, and the serial ports of the machine. What is
// platform's own lives in PortLocatorLinux.cpp and PortLocatorWindows.cpp.
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

// The folder this driver library was loaded from, without a trailing separator, in UTF-8.
std::string LibraryDirectory();

// Whether COM n can exist here: from 1 on Linux, 1 to 255 on Windows.
bool ValidComNumber(int comNumber);

// The device of COM n, a valid number: /dev/ttyS(n-1) on Linux unless ports/comN overrides it,
// \\.\COMn on Windows; or the code why it cannot be told (PortLinksUntrusted).
int32_t LocateComPort(int comNumber, std::string& path);

struct UsbSerialPort {
    std::string path;
    int vendorId = 0;
    int productId = 0;
    std::string product;
    std::string serialNumber;
};

// A serial port of the machine: its device (the name of a COM port on Windows), the system's
// description of it, and for a USB port what its USB descriptor says.
struct SerialPortEntry {
    std::string path;
    std::string description;
    std::optional<UsbSerialPort> usb;
    std::string manufacturer;  // of a USB device
};

// The serial ports: on Linux as libserialport enumerates them, in its order; on Windows the
// COM ports of the Ports setup class, by number.
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

// The USB serial ports among ListSerialPorts.
std::vector<UsbSerialPort> ListUsbSerialPorts();

// The device of the USB converter (ports/usb on Linux where it exists, else the choice above)
// or the code why there is none.
int32_t LocateUsbConverter(std::string& path);

// The device of the PCI card or the code why there is none: on Linux ports/pci where it exists,
// else the card's tty found through sysfs; Windows opens the card as the COM port it is.
int32_t LocatePciCard(std::string& path);

// Orders tty names by their stem, then by the number they end in: ttyS2 < ttyS9 < ttyS10.
bool TtyNameLess(const std::string& left, const std::string& right);

} // namespace driverlib
