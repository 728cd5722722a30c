// The interface types of the five libraries, as the tests open them through the binding, and
// the names the libraries export.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

inline constexpr uint8_t Com = 0;
inline constexpr uint8_t Isa = 1;
inline constexpr uint8_t Pci = 2;
inline constexpr uint8_t Usb = 3;
inline constexpr uint8_t Lan = 4;

// The seven entries a library exports under its stem, in the order of their names.
inline std::vector<std::string> EntryNames(const char* stem)
{
    std::vector<std::string> names;
    for (const char* entry : {"Done", "Error", "GetConfig", "Init", "Send", "SetConfig", "Version"})
        names.push_back(std::string(stem) + "_" + entry);
    return names;
}

// An Init the library must refuse: what it was given, the code it must answer with, and that
// code's text where the row checks it. `fault` names what the row would catch.
struct RefusedInit {
    const char* fault;
    uint8_t type;
    intptr_t parameter;
    int32_t code;
    const char* text = nullptr;
};

// Opens each row's interface with its parameter through the binding, in a program folder of
// its own, and expects the row's code and text (InterfacesTest.cpp).
void ExpectEachRefused(std::initializer_list<RefusedInit> rows);

// What only the platform can tell of a library (InterfacesLinuxTest.cpp, InterfacesWindowsTest.cpp):
// the names the file at the path exports.
std::vector<std::string> ExportedNames(const std::string& libraryPath);
