// The module's configuration registers. Every register holds one byte; wider values lie in
// consecutive registers, least significant byte in the lowest.
#pragma once

#include <cstdint>

inline constexpr uint8_t RegCharTime = 0;   // character time, µs, 16 bits (written only)
inline constexpr uint8_t RegHoldTime = 2;   // transmit hold time, µs, 16 bits (written only)
inline constexpr uint8_t RegBaudIndex = 4;
inline constexpr uint8_t RegDataBits = 5;
inline constexpr uint8_t RegParity = 6;
inline constexpr uint8_t RegStopBits = 7;
inline constexpr uint8_t RegCustomBaud = 8; // Bd, 24 bits
inline constexpr uint8_t RegOverhang = 11;  // hold time as the user set it, µs, 16 bits
inline constexpr uint8_t RegNote = 13;      // one Windows-1250 code per register
inline constexpr uint8_t RegMode = 59;      // bits 0-1 TxMode, bit 2 RxMode

inline constexpr int NoteLength = 45;

// Highest index each field may hold when it is written to a module; RxMode reaches 2 in the
// model whose receive list has three entries.
inline constexpr uint8_t MaxTxMode = 3;
inline constexpr uint8_t MaxRxMode = 2;
inline constexpr uint8_t MaxBaudIndex = 9;
inline constexpr uint8_t MaxDataBitsIndex = 3;
inline constexpr uint8_t MaxParityIndex = 1;
inline constexpr uint8_t MaxStopBitsIndex = 1;

inline constexpr uint8_t CustomBaudIndex = 9;
