// The five communication interfaces and their driver libraries, by interface type.
#pragma once

#include <array>
#include <cstdint>

struct InterfaceTypeInfo {
    const char* caption;      // the interface list's text (UTF-8)
    const char* stem;         // prefix of the library's entry names
    const char* libraryFile;  // file name in the program's directory
    const char* windowsName;  // the library's name in the system's messages
};

inline constexpr std::array<InterfaceTypeInfo, 5> InterfaceTypes = {{
#ifdef _WIN32
    {"Standardní COMx", "RVS770", "RVS770.DLL", "RVS770.DLL"},
    {"ISA karta RVA-770", "RVA770", "RVA770.DLL", "RVA770.DLL"},
    {"PCI karta RVB-771", "RVB771", "RVB771.DLL", "RVB771.DLL"},
    {"USB konvertor RVC-772", "RVC772", "RVC772.DLL", "RVC772.DLL"},
    {"LAN konvertor RVD-773", "RVD773", "RVD773.DLL", "RVD773.DLL"},
#else
    {"Standardní COMx", "RVS770", "libRVS770.so", "RVS770.DLL"},
    {"ISA karta RVA-770", "RVA770", "libRVA770.so", "RVA770.DLL"},
    {"PCI karta RVB-771", "RVB771", "libRVB771.so", "RVB771.DLL"},
    {"USB konvertor RVC-772", "RVC772", "libRVC772.so", "RVC772.DLL"},
    {"LAN konvertor RVD-773", "RVD773", "libRVD773.so", "RVD773.DLL"},
#endif
}};

inline bool IsInterfaceType(uint8_t type)
{
    return type < InterfaceTypes.size();
}
