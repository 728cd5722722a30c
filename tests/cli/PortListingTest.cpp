// The ports as serkon-cli ports lists them, as Windows names them: COMx with the name of their
// driver, a USB adapter with its bus-reported product string.
#include "tools/cli/PortListing.h"

#include <gtest/gtest.h>

// Catches a listing that hides the product string, by which the converter is told from other
// adapters, when the description does not carry it; or a mark on the wrong port.
TEST(PortListing, AUsbPortShowsItsProductWhereTheDescriptionLacksItAndTheConverterIsMarked)
{
    const std::vector<driverlib::SerialPortEntry> ports = {
        {"COM1", "Komunikační port (COM1)", std::nullopt, ""},
        {"COM3", "USB Serial Port (COM3)", driverlib::UsbSerialPort{"COM3", 0x0403, 0x6001, "RVC-772", "A10K5Q"},
         "FTDI"},
        {"COM4", "USB Serial Port (COM4)", driverlib::UsbSerialPort{"COM4", 0x0403, 0x6001, "", "B20K6R"}, "FTDI"},
    };
    const QString listed = QStringLiteral(
        "Sériové porty:\n"
        "  COM1  Komunikační port (COM1)\n"
        "  COM3  USB Serial Port (COM3) (USB 0403:6001, produkt RVC-772, výrobce FTDI, sériové číslo A10K5Q)\n"
        "%1"
        "  COM4  USB Serial Port (COM4) (USB 0403:6001, výrobce FTDI, sériové číslo B20K6R)\n");
    EXPECT_EQ(PortsText(ports, false), listed.arg(QStringLiteral("      USB konvertor RVC-772\n")));
    EXPECT_EQ(PortsText(ports, true), listed.arg(QString()));
    EXPECT_EQ(PortsText({}, false), QStringLiteral("Sériové porty: žádné\n"));
}
