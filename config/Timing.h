// The two timing values of the module's automatic direction control, derived from the line
// parameters in single precision before a configuration is written.
#pragma once

#include "core/Records.h"

#include <cstdint>

// Duration of one bit in µs: 1000000 / speed rounded to single precision, the speed chosen by
// the index (0..8) or CustomBaud for any other index. A speed of 0 gives +infinity.
float BitTimeUs(uint8_t baudIndex, uint32_t customBaud);

// (data bits index + parity index + stop bits index + 6.5) × bit time: one character less
// half a bit.
float CharacterTimeUs(const TZEMO& config);

// OverhangUs + half a bit.
float HoldTimeUs(const TZEMO& config);

// The range a derived value must lie in to be written: 0.0 to 32767.0 (NaN is outside).
bool DerivedTimeInRange(float value);

// Nearest integer, ties to even (32.5 gives 32, 3.5 gives 4). The value must be in range.
uint16_t RoundHalfToEven(float value);
