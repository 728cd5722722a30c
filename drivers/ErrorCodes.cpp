#include "ErrorCodes.h"

#include <array>

namespace {

struct SystemText {
    uint32_t code;
    const char* text;
};

constexpr std::array<SystemText, 10> SystemTexts = {{
    {100, "chyba inicializace knihovny RVS770.DLL"},
    {101, "chyba inicializace knihovny RVA770.DLL"},
    {102, "chyba inicializace knihovny RVB771.DLL"},
    {103, "chyba inicializace knihovny RVC772.DLL"},
    {104, "chyba inicializace knihovny RVD773.DLL"},
    {110, "chybná knihovna RVS770.DLL"},
    {111, "chybná knihovna RVA770.DLL"},
    {112, "chybná knihovna RVB771.DLL"},
    {113, "chybná knihovna RVC772.DLL"},
    {114, "chybná knihovna RVD773.DLL"},
}};

constexpr const char* UnknownCodeText = "neznámý chybový kód";

} // namespace

QString SystemErrorText(uint32_t code)
{
    for (const SystemText& entry : SystemTexts) {
        if (entry.code == code)
            return QString::fromUtf8(entry.text);
    }
    return QString::fromUtf8(UnknownCodeText);
}
