// The unit of exchange with a driver: 100 signed 32-bit elements. As a text it holds one
// Windows-1250 character code per element from element 1 on, ended by the first element of 0.
#pragma once

#include "DriverContract.h"

#include <QString>

#include <array>
#include <cstdint>

using DriverBuffer = std::array<int32_t, SERKON_DRIVER_BUFFER_SIZE>;

inline constexpr int DriverTextMaxLength = SERKON_DRIVER_BUFFER_SIZE - 1;

// Clears the buffer and puts in the first 99 characters of the text. Returns 0.
int32_t TextToBuffer(const QString& text, DriverBuffer& buffer);
// The text of the buffer: the character of element 0 if it is not 0, then elements 1 to 99 up
// to the first 0, each by its low byte. An element whose low byte is 0 counts as 0, so the text
// never holds a NUL. At most 100 characters, whatever the buffer holds.
QString BufferToText(const DriverBuffer& buffer);
