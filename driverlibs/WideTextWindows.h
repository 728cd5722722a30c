// The libraries keep text, paths included, in UTF-8; Win32 takes and gives UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace driverlib {

std::wstring WideOf(std::string_view utf8);
std::string Utf8Of(std::wstring_view wide);

} // namespace driverlib
