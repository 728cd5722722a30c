// The checks and conversions of a configuration window's entries, free of widgets so that the
// command-line tool applies the same rules and messages.
#pragma once

#include "core/Records.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

// A whole decimal number with an optional sign, within the signed 32-bit range and within
// low..high (both included). Anything else, the empty text included, fails.
bool ParseIntInRange(const QString& text, int32_t low, int32_t high, int32_t& value);

// Microseconds as milliseconds with exactly three decimals: 200 gives "0,200" under a comma.
QString FormatHoldTime(uint32_t microseconds, QChar decimalSeparator);

// A number of milliseconds (optional sign, decimal separator, optional exponent) as whole
// microseconds, the fraction cut off toward zero; the result saturates far outside any
// accepted range. Nothing when the text is not such a number.
std::optional<int64_t> ParseHoldTime(const QString& text, QChar decimalSeparator);

inline constexpr int32_t MinCustomBaud = 300;
inline constexpr int32_t MaxCustomBaud = 500000;
inline constexpr int64_t MaxHoldTimeUs = 65000;
inline constexpr int NotePadding = 50;

inline constexpr int NoSelection = -1;
inline constexpr uint8_t NoSelectionByte = 255;

// What the window's controls hold: the selected index of each list (NoSelection when none)
// and the texts of the three edits.
struct WindowEntries {
    bool hasModeLists = true;  // false: TxMode and RxMode are not taken from the window
    int txIndex = NoSelection;
    int rxIndex = NoSelection;
    int baudIndex = NoSelection;
    int parityIndex = NoSelection;
    int dataBitsIndex = NoSelection;
    int stopBitsIndex = NoSelection;
    QString customBaud;
    QString holdTime;
    QString note;
};

struct EntryCheck {
    QString failure;  // message of the first failed check, empty when every check passed
    TZEMO record;     // with the entries taken in; only when every check passed

    bool Passed() const { return failure.isEmpty(); }
};

// Checks the custom speed, the hold time's notation and then its range, stopping at the first
// failure. On success the record is `current` with the entries taken in: each list's index as
// one byte (255 without a selection), the custom speed, the hold time in µs, and the note
// followed by 50 blanks.
EntryCheck CheckEntries(const WindowEntries& entries, const TZEMO& current,
                        QChar decimalSeparator);
