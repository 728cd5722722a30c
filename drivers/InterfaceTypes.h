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

// The build names the library files as the platform does (CMake's prefix and suffix of a
// loadable module): libRVS770.so on Linux, RVS770.DLL on Windows.
#define SERKON_DRIVER_FILE(stem) SERKON_DRIVER_FILE_PREFIX stem SERKON_DRIVER_FILE_SUFFIX

inline constexpr std::array<InterfaceTypeInfo, 5> InterfaceTypes = {{
    {"Standardní COMx", "RVS770", SERKON_DRIVER_FILE("RVS770"), "RVS770.DLL"},
    {"ISA karta RVA-770", "RVA770", SERKON_DRIVER_FILE("RVA770"), "RVA770.DLL"},
    {"PCI karta RVB-771", "RVB771", SERKON_DRIVER_FILE("RVB771"), "RVB771.DLL"},
    {"USB konvertor RVC-772", "RVC772", SERKON_DRIVER_FILE("RVC772"), "RVC772.DLL"},
    {"LAN konvertor RVD-773", "RVD773", SERKON_DRIVER_FILE("RVD773"), "RVD773.DLL"},
}};

inline bool IsInterfaceType(uint8_t type)
{
    return type < InterfaceTypes.size();
}
