#include "PortLocator.h"

#include "DriverCodes.h"
#include "UserFolder.h"

#include <libserialport.h>

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

namespace driverlib {

namespace fs = std::filesystem;

namespace {

std::optional<unsigned> ReadHexFile(const fs::path& path)
{
    std::ifstream file(path);
    std::string text;
    if (!(file >> text))
        return std::nullopt;
    try {
        return unsigned(std::stoul(text, nullptr, 16));
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::string> LowestTtyBelow(const fs::path& device)
{
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(device / "tty", error))
        names.push_back(entry.path().filename().string());
    if (names.empty())
        return std::nullopt;
    return "/dev/" + *std::min_element(names.begin(), names.end(), TtyNameLess);
}

bool IsPciCard(const fs::path& device)
{
    return ReadHexFile(device / "vendor") == PciCardVendorId
        && ReadHexFile(device / "device") == PciCardDeviceId;
}

std::string Text(const char* maybe)
{
    return maybe ? std::string(maybe) : std::string();
}

} // namespace

bool TtyNameLess(const std::string& left, const std::string& right)
{
    const auto split = [](const std::string& name) {
        const size_t digits = name.find_last_not_of("0123456789") + 1;
        const std::string number = name.substr(digits);
        // Leading zeros aside, a longer number is the larger one.
        const size_t significant = std::min(number.find_first_not_of('0'), number.size());
        return std::make_tuple(name.substr(0, digits), number.size() - significant,
                               number.substr(significant), name);
    };
    return split(left) < split(right);
}

std::string LibraryDirectory()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryDirectory), &info) && info.dli_fname) {
        std::error_code error;
        const fs::path library = fs::absolute(info.dli_fname, error);
        if (!error)
            return library.parent_path().string();
    }
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path().string();
}

std::string PortsDirectory()
{
    const std::string directory = UserFilesDirectory(LibraryDirectory());
    return directory.empty() ? std::string() : directory + "/ports";
}

std::optional<std::string> PortOverride(const std::string& name)
{
    const std::string directory = PortsDirectory();
    if (directory.empty())
        return std::nullopt;
    const fs::path link = fs::path(directory) / name;
    std::error_code error;
    if (fs::symlink_status(link, error).type() == fs::file_type::not_found)
        return std::nullopt;
    return link.string();
}

std::string ComDevicePath(int comNumber)
{
    if (auto link = PortOverride("com" + std::to_string(comNumber)))
        return *link;
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

bool IsGenericBridgeProduct(const std::string& product)
{
    return product.empty() || product.rfind("FT232R", 0) == 0;
}

UsbConverterChoice ChooseUsbConverter(const std::vector<UsbSerialPort>& ports)
{
    const UsbSerialPort* named = nullptr;
    std::vector<const UsbSerialPort*> unnamed;
    for (const UsbSerialPort& port : ports) {
        if (port.product.find(UsbConverterProduct) != std::string::npos) {
            if (!named || std::tie(port.serialNumber, port.path)
                    < std::tie(named->serialNumber, named->path))
                named = &port;
        } else if (port.vendorId == UsbConverterVendorId && port.productId == UsbConverterProductId
                   && IsGenericBridgeProduct(port.product)) {
            unnamed.push_back(&port);
        }
    }
    if (named)
        return {Ok, named->path};
    if (unnamed.size() == 1)
        return {Ok, unnamed.front()->path};
    return {unnamed.empty() ? UsbConverterNotFound : UsbConverterAmbiguous, {}};
}

std::vector<SerialPortEntry> ListSerialPorts()
{
    std::vector<SerialPortEntry> found;
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK)
        return found;
    for (sp_port** port = ports; *port; ++port) {
        SerialPortEntry entry;
        entry.path = Text(sp_get_port_name(*port));
        entry.description = Text(sp_get_port_description(*port));
        if (sp_get_port_transport(*port) == SP_TRANSPORT_USB) {
            UsbSerialPort usb;
            usb.path = entry.path;
            sp_get_port_usb_vid_pid(*port, &usb.vendorId, &usb.productId);
            usb.product = Text(sp_get_port_usb_product(*port));
            usb.serialNumber = Text(sp_get_port_usb_serial(*port));
            entry.usb = usb;
            entry.manufacturer = Text(sp_get_port_usb_manufacturer(*port));
        }
        found.push_back(entry);
    }
    sp_free_port_list(ports);
    return found;
}

std::vector<UsbSerialPort> ListUsbSerialPorts()
{
    std::vector<UsbSerialPort> found;
    for (const SerialPortEntry& entry : ListSerialPorts()) {
        if (entry.usb)
            found.push_back(*entry.usb);
    }
    return found;
}

std::optional<std::string> FindPciCardTty(const std::string& sysfsRoot)
{
    std::error_code error;
    std::vector<fs::path> cards;
    for (const auto& entry : fs::directory_iterator(fs::path(sysfsRoot) / "bus/pci/devices", error))
        if (IsPciCard(entry.path()))
            cards.push_back(entry.path());
    std::sort(cards.begin(), cards.end());
    for (const fs::path& card : cards)
        if (auto tty = LowestTtyBelow(card))
            return tty;
    return std::nullopt;
}

} // namespace driverlib
