// Windows' names of serial ports read as text, on every platform: what SetupAPI gives for the
// converter's FTDI bridge, a CDC or CP210x adapter, a composite device, a built-in port and a
// PCI card.
#include "DeviceNames.h"

#include <gtest/gtest.h>

using namespace driverlib;

TEST(DeviceNames, OnlyComPortsWithANumberAreComPorts)
{
    const struct {
        const char* name;
        bool port;
    } cases[] = {
        {"COM1", true},  {"COM12", true}, {"com3", true},  {"COM256", true}, {"COM", false},
        {"COM0", false}, {"LPT1", false}, {"COM3x", false}, {"XCOM3", false}, {"", false},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(IsComPortName(entry.name), entry.port) << entry.name;
}

// CreateFileW reaches COM10 and above only through \\.\; a device path must not be prefixed
// twice.
TEST(DeviceNames, APortIsOpenedByItsDevicePathAndNamedWithoutIt)
{
    const struct {
        const char* given;
        const char* devicePath;
        const char* name;
    } cases[] = {
        {"COM3", R"(\\.\COM3)", "COM3"},
        {"COM12", R"(\\.\COM12)", "COM12"},
        {R"(\\.\COM12)", R"(\\.\COM12)", "COM12"},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(ComPortDevicePath(entry.given), entry.devicePath) << entry.given;
        EXPECT_EQ(ComPortNameOfPath(entry.given), entry.name) << entry.given;
    }
}

TEST(DeviceNames, UsbIdsComeFromTheVidAndPidFieldsOfAnyEnumerator)
{
    const struct {
        const char* id;
        int vendor;  // -1: no USB ids
        int product;
    } cases[] = {
        {R"(USB\VID_0403&PID_6001&REV_0600)", 0x0403, 0x6001},
        {R"(USB\VID_0403&PID_6001)", 0x0403, 0x6001},
        {R"(FTDIBUS\COMPORT&VID_0403&PID_6001)", 0x0403, 0x6001},
        {R"(FTDIBUS\VID_0403+PID_6001+A50285BIA\0000)", 0x0403, 0x6001},
        {R"(usb\vid_10c4&pid_ea60)", 0x10C4, 0xEA60},
        {R"(USB\VID_2341&PID_0043&MI_00\6&1D8E5F2&0&0000)", 0x2341, 0x0043},
        {R"(PCI\VEN_1A4E&DEV_0771&SUBSYS_00001A4E)", -1, 0},
        {R"(ACPI\PNP0501)", -1, 0},
        {R"(USB\VID_0403)", -1, 0},
        {R"(USB\VID_04O3&PID_6001)", -1, 0},
        {R"(USB\VID_040&PID_6001)", -1, 0},
        {"", -1, 0},
    };
    for (const auto& entry : cases) {
        const std::optional<UsbIds> ids = UsbIdsOfDeviceId(entry.id);
        ASSERT_EQ(ids.has_value(), entry.vendor >= 0) << entry.id;
        if (ids) {
            EXPECT_EQ(ids->vendorId, entry.vendor) << entry.id;
            EXPECT_EQ(ids->productId, entry.product) << entry.id;
        }
    }
}

TEST(DeviceNames, TheSerialNumberIsTheInstancePartOnlyWhereTheBusPutItThere)
{
    const struct {
        const char* instanceId;
        const char* serialNumber;
    } cases[] = {
        {R"(USB\VID_0403&PID_6001\A50285BI)", "A50285BI"},
        {R"(FTDIBUS\VID_0403+PID_6001+A50285BIA\0000)", "A50285BI"},
        {R"(ftdibus\vid_0403+pid_6001+R100A\0000)", "R100"},
        {R"(USB\VID_10C4&PID_EA60\0001)", "0001"},
        {R"(USB\VID_0403&PID_6001\5&2A3B4C5D&0&2)", ""},          // made up by Windows
        {R"(USB\VID_2341&PID_0043&MI_00\6&1D8E5F2&0&0000)", ""},  // an interface
        {R"(FTDIBUS\VID_0403+PID_6001+6&2ECC3B4F&0&1\0000)", ""},
        {R"(FTDIBUS\VID_0403+PID_6001+A\0000)", ""},
        {R"(ACPI\PNP0501\1)", ""},
        {R"(USB\VID_0403&PID_6001)", ""},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(SerialNumberOfInstanceId(entry.instanceId), entry.serialNumber)
            << entry.instanceId;
}

namespace {

// The converter through FTDI's driver: the port is a child of the USB device, which alone
// carries the product string from the USB descriptor.
PortDeviceStrings FtdiConverter()
{
    PortDeviceStrings device;
    device.portName = "COM7";
    device.friendlyName = "USB Serial Port (COM7)";
    device.deviceDescription = "USB Serial Port";
    device.manufacturer = "FTDI";
    device.hardwareIds = {R"(FTDIBUS\COMPORT&VID_0403&PID_6001)"};
    device.instanceId = R"(FTDIBUS\VID_0403+PID_6001+R100A\0000)";
    device.busReportedDescription = "USB Serial Port";
    device.parentInstanceId = R"(USB\VID_0403&PID_6001\R100)";
    device.parentBusReportedDescription = "RVC-772";
    return device;
}

// A CDC adapter through usbser.sys: the port is the USB device itself, its parent a hub.
PortDeviceStrings CdcAdapter()
{
    PortDeviceStrings device;
    device.portName = "COM4";
    device.deviceDescription = "USB Serial Device";
    device.manufacturer = "Microsoft";
    device.hardwareIds = {R"(USB\VID_2E8A&PID_000A&REV_0100)", R"(USB\VID_2E8A&PID_000A)"};
    device.instanceId = R"(USB\VID_2E8A&PID_000A\E660583883)";
    device.busReportedDescription = "Pico";
    device.parentInstanceId = R"(USB\VID_8087&PID_0024\5&3A4B5C6D&0&1)";
    device.parentBusReportedDescription = "Generic USB Hub";
    return device;
}

PortDeviceStrings BuiltInPort()
{
    PortDeviceStrings device;
    device.portName = "COM1";
    device.friendlyName = "Communications Port (COM1)";
    device.manufacturer = "(Standard port types)";
    device.hardwareIds = {R"(ACPI\PNP0501)", "*PNP0501"};
    device.instanceId = R"(ACPI\PNP0501\1)";
    device.parentInstanceId = R"(ACPI\PNP0A03\0)";
    return device;
}

} // namespace

TEST(DeviceNames, APortsEntryTakesTheUsbStringsFromTheDeviceItBelongsTo)
{
    const SerialPortEntry ftdi = PortEntryOf(FtdiConverter());
    EXPECT_EQ(ftdi.path, "COM7");
    EXPECT_EQ(ftdi.description, "USB Serial Port (COM7)") << "the friendly name first";
    ASSERT_TRUE(ftdi.usb);
    EXPECT_EQ(ftdi.usb->path, "COM7");
    EXPECT_EQ(ftdi.usb->vendorId, 0x0403);
    EXPECT_EQ(ftdi.usb->productId, 0x6001);
    EXPECT_EQ(ftdi.usb->product, "RVC-772") << "the USB device's product string, not the port's";
    EXPECT_EQ(ftdi.usb->serialNumber, "R100");
    EXPECT_EQ(ftdi.manufacturer, "FTDI");

    const SerialPortEntry cdc = PortEntryOf(CdcAdapter());
    EXPECT_EQ(cdc.description, "USB Serial Device") << "the description without a friendly name";
    ASSERT_TRUE(cdc.usb);
    EXPECT_EQ(cdc.usb->vendorId, 0x2E8A);
    EXPECT_EQ(cdc.usb->product, "Pico") << "a hub above is not the device";
    EXPECT_EQ(cdc.usb->serialNumber, "E660583883");

    PortDeviceStrings composite = CdcAdapter();
    composite.hardwareIds = {R"(USB\VID_2E8A&PID_000A&MI_00)"};
    composite.instanceId = R"(USB\VID_2E8A&PID_000A&MI_00\6&1D8E5F2&0&0000)";
    composite.busReportedDescription = "Board CDC";
    composite.parentInstanceId = R"(USB\VID_2E8A&PID_000A\E660583883)";
    composite.parentBusReportedDescription = "Pico";
    const SerialPortEntry ofInterface = PortEntryOf(composite);
    ASSERT_TRUE(ofInterface.usb);
    EXPECT_EQ(ofInterface.usb->serialNumber, "E660583883") << "the composite device's";
    EXPECT_EQ(ofInterface.usb->product, "Pico");

    const SerialPortEntry builtIn = PortEntryOf(BuiltInPort());
    EXPECT_EQ(builtIn.path, "COM1");
    EXPECT_FALSE(builtIn.usb);
    EXPECT_EQ(builtIn.manufacturer, "") << "a maker is told of USB ports only, as on Linux";
}

TEST(DeviceNames, TheConverterIsChosenAmongTheEntriesByItsUsbProductString)
{
    PortDeviceStrings unnamedBridge = FtdiConverter();
    unnamedBridge.portName = "COM9";
    unnamedBridge.parentBusReportedDescription = "FT232R USB UART";
    unnamedBridge.parentInstanceId = R"(USB\VID_0403&PID_6001\A1)";
    std::vector<UsbSerialPort> ports;
    for (const PortDeviceStrings& device : {unnamedBridge, CdcAdapter(), FtdiConverter()})
        ports.push_back(*PortEntryOf(device).usb);
    EXPECT_EQ(ChooseUsbConverter(ports).path, "COM7");
    ports.pop_back();
    EXPECT_EQ(ChooseUsbConverter(ports).path, "COM9") << "the one bridge with a generic name";
}
