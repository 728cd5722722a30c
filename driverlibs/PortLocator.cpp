#include "PortLocator.h"

#include "DriverCodes.h"

#include <algorithm>
#include <tuple>

namespace driverlib {

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

std::vector<UsbSerialPort> ListUsbSerialPorts()
{
    std::vector<UsbSerialPort> found;
    for (const SerialPortEntry& entry : ListSerialPorts()) {
        if (entry.usb)
            found.push_back(*entry.usb);
    }
    return found;
}

} // namespace driverlib
