// The bus speed between interface and module: the speeds of the connection dialog's list, by
// position, and the driver time-out that goes with each.
#pragma once

#include <cstdint>

inline constexpr uint8_t BusSpeedCount = 9;
inline constexpr uint8_t DefaultSpeedIndex = 4; // 9600 Bd

uint32_t BaudFromIndex(uint8_t index);
uint8_t IndexFromBaud(uint32_t baud);
int32_t TimeoutFromIndex(uint8_t index);
