// What the libraries do on Windows: COM numbers and absent ports, the cards that Windows
// leaves to its COM ports; exports as Windows tells them.
#include "Connection.h"
#include "Interfaces.h"
#include "tests/support/ProgramFolder.h"

#include "Servers.h"

#include "drivers/DriverBinding.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

// The names in the export directory of a loaded DLL.
std::vector<std::string> ExportDirectoryNames(HMODULE module)
{
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory.Size == 0)
        return {};
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    if (exports->NumberOfFunctions != exports->NumberOfNames)
        found.emplace_back("(an entry without a name)");
    return found;
}

} // namespace

std::vector<std::string> ExportedNames(const std::string& libraryPath)
{
    const HMODULE library =
        LoadLibraryW(reinterpret_cast<const wchar_t*>(QString::fromStdString(libraryPath).utf16()));
    if (!library)
        return {};
    std::vector<std::string> names = ExportDirectoryNames(library);
    FreeLibrary(library);
    return names;
}

TEST(DriverLibrary, RefusesWhatWindowsCannotServeWithItsCodeAndText)
{
    ExpectEachRefused({
        {"COM256, above Windows' highest port, opened", Com, 256, 20},
        {"an absent COM port reported without Windows advice", Com, 255, 13,
         "Port neexistuje - zkontrolujte číslo portu COM"},
        {"the PCI card not sent to the COM port Windows makes of it", Pci, 0, 5,
         "PCI karta RVB-771 se ve Windows otevírá jako Standardní COMx"},
        {"the ISA card not refused for want of port I/O", Isa, 0x2E8, 4,
         "Rozhraní potřebuje přímý přístup k I/O portům, který Windows programům nedovolí"},
    });
}
