// The interface types of the five libraries, as the tests open them through the binding.
#pragma once

#include <cstdint>

inline constexpr uint8_t Com = 0;
inline constexpr uint8_t Isa = 1;
inline constexpr uint8_t Pci = 2;
inline constexpr uint8_t Usb = 3;
inline constexpr uint8_t Lan = 4;
