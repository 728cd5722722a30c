// Windows' part of PortLocator.h that the tests reach.
#pragma once

#include <string>

namespace driverlib {

// The folder of the module (a DLL, the .exe) that holds the address, in UTF-8, without a
// trailing separator; empty when no module holds it.
std::string ModuleDirectory(const void* address);

} // namespace driverlib
