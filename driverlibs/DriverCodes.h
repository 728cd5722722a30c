// The codes the driver libraries return (1 to 99; 0 is success) and their Czech texts. A code
// means the same on every platform; where what the user can do differs on Windows, the text
// does. docs/module-protocol.md lists them with what the user can do about each.
#pragma once

#include <cstdint>
#include <string>

namespace driverlib {

enum Code : int32_t {
    Ok = 0,
    InvalidParameter = 1,
    InvalidHandle = 2,
    TooManyConnections = 3,
    NotSupportedOnPlatform = 4,
    PciCardAsComPort = 5,     // Windows: the PCI card is opened as the COM port it is
    RequestNotAssembled = 9,  // the program's own: a request could not be assembled
    NoDriver = 10,            // the program's own: no driver bound or entry missing

    PortCannotOpen = 11,
    PortNoPermission = 12,
    PortNotFound = 13,
    PortBusy = 14,
    PortSpeedUnsupported = 15,
    PortSetupFailed = 16,
    PortWriteFailed = 17,
    PortReadFailed = 18,
    PortLinksUntrusted = 19,  // Linux: ports/ where others could change its links
    InvalidComNumber = 20,
    UsbConverterNotFound = 21,
    UsbConverterAmbiguous = 22,
    PciCardNotFound = 23,
    IsaCardNotFound = 24,
    IsaInvalidBase = 25,
    IsaNoPermission = 26,

    NoReply = 30,
    ReplyGarbled = 31,
    EchoOnly = 32,
    ReplyFromOtherAddress = 33,
    ConnectionNotConfigured = 34,  // Send or GetConfig before a successful SetConfig

    ModuleUnknownCommand = 41,  // module status 1
    ModuleBadRegister = 42,     // module status 2
    ModuleBadValue = 43,        // module status 3
    ModuleBusy = 44,            // module status 4
    ModuleError = 45,           // any other module status

    InvalidIpAddress = 50,
    InvalidUdpPort = 51,
    InvalidUdpTimeout = 52,
    SocketFailed = 53,
    NetworkSendFailed = 54,
    NetworkUnreachable = 55,
    ConverterRefused = 56,
    NetworkReceiveFailed = 57,

    InvalidSpeed = 60,
    InvalidTimeout = 61,
    InvalidOption = 62,

    InternalError = 99,
};

// The driver code of a reply's non-zero status byte.
int32_t CodeOfModuleStatus(uint8_t status);

enum class TextPlatform { Linux, Windows };

// The text in UTF-8 as this platform's libraries give it, or an empty string for a code without
// a text of its own.
const char* CodeTextUtf8(int32_t code);
// The same as the libraries of the platform give it.
const char* CodeTextUtf8(int32_t code, TextPlatform platform);

// The text in Windows-1250 as the Error entry hands it out; a code without a text of its own
// gets a text that names the number.
std::string CodeTextCp1250(int32_t code);

// Fills a text buffer of SERKON_DRIVER_BUFFER_SIZE elements: element 0 is 0, then one
// Windows-1250 code per element, at most 99, the rest 0.
void WriteCodeText(int32_t code, int32_t* buffer);

} // namespace driverlib
