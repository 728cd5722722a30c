// The driver libraries' own Windows-1250 encoding of their Czech texts. The libraries stand
// alone (no program code), so they carry just the letters of Czech; the tests check every text
// against the program's full code page.
#pragma once

#include <string>
#include <string_view>

namespace driverlib {

// ASCII and the Czech letters; any other character becomes '?'.
std::string Utf8ToCp1250(std::string_view utf8);

} // namespace driverlib
