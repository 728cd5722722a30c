#include "DriverCodes.h"

#include "DriverContract.h"
#include "TextCp1250.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <algorithm>

namespace driverlib {

namespace {

#ifdef _WIN32
constexpr TextPlatform ThisPlatform = TextPlatform::Windows;
#else
constexpr TextPlatform ThisPlatform = TextPlatform::Linux;
#endif

struct CodeText {
    int32_t code;
    const char* text;                   // UTF-8, at most 99 characters
    const char* windowsText = nullptr;  // where Windows wants other advice
};

constexpr std::array CodeTexts = {
    CodeText{Ok, "V pořádku"},
    CodeText{InvalidParameter, "Neplatný parametr ovladače"},
    CodeText{InvalidHandle, "Připojení k modulu není otevřeno (neplatný handle ovladače)"},
    CodeText{TooManyConnections, "Příliš mnoho otevřených připojení ovladače"},
    CodeText{NotSupportedOnPlatform, "Rozhraní není na tomto počítači podporováno",
             "Rozhraní potřebuje přímý přístup k I/O portům, který Windows programům nedovolí"},
    CodeText{PciCardAsComPort, "PCI karta RVB-771 se ve Windows otevírá jako Standardní COMx"},
    CodeText{RequestNotAssembled, "Požadavek pro modul nelze sestavit"},
    CodeText{NoDriver, "Ovladač rozhraní není zaveden nebo mu chybí funkce"},

    CodeText{PortCannotOpen, "Port nelze otevřít"},
    CodeText{PortNoPermission,
             "Nedostatečná oprávnění k portu - přidejte uživatele do skupiny dialout",
             "Nedostatečná oprávnění k portu"},
    CodeText{PortNotFound, "Port neexistuje - zkontrolujte číslo portu nebo odkaz v ports/",
             "Port neexistuje - zkontrolujte číslo portu COM"},
    CodeText{PortBusy, "Port je obsazen jiným programem"},
    CodeText{PortSpeedUnsupported, "Port nepodporuje zvolenou komunikační rychlost"},
    CodeText{PortSetupFailed, "Port nelze nastavit"},
    CodeText{PortWriteFailed, "Chyba zápisu na port"},
    CodeText{PortReadFailed, "Chyba čtení z portu"},
    CodeText{PortLinksUntrusted,
             "Odkazy v ports/ nelze použít - složku nastavení mohou změnit i jiní uživatelé",
             "Odkaz portu nelze použít - složku nastavení mohou změnit i jiní uživatelé"},
    CodeText{InvalidComNumber, "Neplatné číslo portu COM"},
    CodeText{UsbConverterNotFound, "USB konvertor RVC-772 nenalezen - je připojen?"},
    CodeText{UsbConverterAmbiguous,
             "Více USB převodníků bez označení RVC-772 - určete konvertor odkazem ports/usb",
             "Více USB převodníků bez označení RVC-772 - otevřete konvertor jako Standardní COMx"},
    CodeText{PciCardNotFound, "PCI karta RVB-771 nenalezena"},
    CodeText{IsaCardNotFound, "Na zadané adrese není karta RVA-770"},
    CodeText{IsaInvalidBase, "Neplatná bázová adresa karty (100h až 3F8h, násobek 8)"},
    CodeText{IsaNoPermission,
             "Přístup k I/O portům odepřen - spusťte jako root nebo s CAP_SYS_RAWIO",
             "Přístup k I/O portům odepřen"},

    CodeText{NoReply, "Modul neodpovídá - zkontrolujte adresu, rychlost a zapojení"},
    CodeText{ReplyGarbled,
             "Poškozená odpověď modulu - pravděpodobně nesouhlasí rychlost nebo parita"},
    CodeText{EchoOnly,
             "Vrací se jen ozvěna dotazu - zkontrolujte zapojení a řízení směru vysílání"},
    CodeText{ReplyFromOtherAddress, "Odpověděl modul s jinou adresou"},
    CodeText{ConnectionNotConfigured, "Komunikační rychlost a timeout nejsou nastaveny"},

    CodeText{ModuleUnknownCommand, "Modul nezná tento příkaz"},
    CodeText{ModuleBadRegister, "Modul hlásí neplatné číslo registru"},
    CodeText{ModuleBadValue, "Modul odmítl zapisovanou hodnotu"},
    CodeText{ModuleBusy, "Modul je zaneprázdněn - opakujte akci"},
    CodeText{ModuleError, "Modul ohlásil chybu"},

    CodeText{InvalidIpAddress, "Neplatná IP adresa"},
    CodeText{InvalidUdpPort, "Neplatný UDP port (1 až 65535)"},
    CodeText{InvalidUdpTimeout, "Neplatný UDP timeout (0 až 65535 ms)"},
    CodeText{SocketFailed, "Síťový soket nelze vytvořit"},
    CodeText{NetworkSendFailed, "Chyba odeslání do sítě"},
    CodeText{NetworkUnreachable, "Síť nebo LAN konvertor je nedosažitelný"},
    CodeText{ConverterRefused, "Na zadaném UDP portu nikdo nenaslouchá"},
    CodeText{NetworkReceiveFailed, "Chyba příjmu ze sítě"},

    CodeText{InvalidSpeed, "Neplatná komunikační rychlost"},
    CodeText{InvalidTimeout, "Neplatný timeout (1 až 60000 ms)"},
    CodeText{InvalidOption, "Neplatná volba nastavení ovladače (1 nebo 2)"},

    CodeText{InternalError, "Vnitřní chyba ovladače"},
};

} // namespace

int32_t CodeOfModuleStatus(uint8_t status)
{
    switch (status) {
    case 1:
        return ModuleUnknownCommand;
    case 2:
        return ModuleBadRegister;
    case 3:
        return ModuleBadValue;
    case 4:
        return ModuleBusy;
    default:
        return ModuleError;
    }
}

const char* CodeTextUtf8(int32_t code, TextPlatform platform)
{
    for (const CodeText& entry : CodeTexts) {
        if (entry.code != code)
            continue;
        return platform == TextPlatform::Windows && entry.windowsText ? entry.windowsText
                                                                      : entry.text;
    }
    return "";
}

const char* CodeTextUtf8(int32_t code)
{
    return CodeTextUtf8(code, ThisPlatform);
}

std::string CodeTextCp1250(int32_t code)
{
    const char* text = CodeTextUtf8(code);
    if (*text != '\0')
        return Utf8ToCp1250(text);
    char number[16];
    std::snprintf(number, sizeof number, "%d", int(code));
    return Utf8ToCp1250(std::string("Neznámá chyba ovladače ") + number);
}

void WriteCodeText(int32_t code, int32_t* buffer)
{
    std::memset(buffer, 0, SERKON_DRIVER_BUFFER_SIZE * sizeof(int32_t));
    const std::string text = CodeTextCp1250(code);
    const size_t length = std::min<size_t>(text.size(), SERKON_DRIVER_BUFFER_SIZE - 1);
    for (size_t i = 0; i < length; ++i)
        buffer[i + 1] = static_cast<unsigned char>(text[i]);
}

} // namespace driverlib
