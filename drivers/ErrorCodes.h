// The system's own error codes and their texts.
#pragma once

#include "DriverContract.h"

#include <QString>

#include <cstdint>

inline constexpr int32_t CodeSuccess = 0;
inline constexpr int32_t CodeRequestNotAssembled = 9;
inline constexpr int32_t CodeNoDriver = 10;          // type above 4, or the entry is not bound
inline constexpr int32_t CodeLibraryNotLoaded = 100; // + interface type
inline constexpr int32_t CodeLibraryIncomplete = 110; // + interface type
inline constexpr uint32_t FirstSystemCode = 100;
// A driver's failure whose low byte is 0: not in the table, so its text is "neznámý chybový kód".
inline constexpr uint8_t CodeUnknownFailure = SERKON_DRIVER_CODE_UNKNOWN;

// The text of a code of 100 and above; codes below 100 are the driver's to explain.
QString SystemErrorText(uint32_t code);
