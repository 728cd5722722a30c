// Reading a module's configuration into a record (PrectiData) and writing a record into a
// module with every register verified (ZapisData). Shared by every model window and the
// command-line tool; progress and outcome go to the reporter's status line.
#pragma once

#include "SequenceReporter.h"

#include "core/Records.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

enum class SequenceOutcome {
    NotConnected,            // nothing sent, status line untouched
    Completed,
    InvalidChoice,           // a list field the module cannot hold; nothing sent
    CharacterTimeRefused,    // nothing sent
    HoldTimeRefused,         // nothing sent
    TransactionFailed,       // status holds the code
    ReadBackMismatch,        // the module holds another value than the one written
};

struct SequenceResult {
    SequenceOutcome outcome = SequenceOutcome::NotConnected;
    uint8_t status = 0;      // code of the failed transaction
    int completedSteps = 0;  // reads done, or writes verified
};

inline constexpr int ReadStepCount = 55;
inline constexpr int WriteStepCount = 59;

// Reads the 55 configuration registers at the module's address into the record, decoding each
// at once. Stops at the first failed read; the fields decoded so far keep their new values.
SequenceResult PrectiData(const TData* data, TZEMO& record, SequenceReporter& reporter);

// Writes and reads back the 59 configuration registers at bus address 0. Refuses, before any
// traffic, an invalid list choice or derived timing values outside 0..32767. Stops at the first
// failure. The record is not changed.
SequenceResult ZapisData(const TData* data, const TZEMO& record, SequenceReporter& reporter);

// Why ZapisData would refuse the record before any traffic: an invalid list choice, or a
// derived timing value outside 0..32767 (the character time is tested first). Nothing when the
// record can be written.
struct WriteRefusal {
    SequenceOutcome outcome;
    QString statusText;
};
std::optional<WriteRefusal> RefuseWrite(const TZEMO& record);

// The registers in the order PrectiData reads them.
const std::array<uint8_t, ReadStepCount>& ReadOrder();

// Whether the read with this 0-based position is preceded by event processing and a pause:
// every read but the first and the 2nd to 45th note characters.
bool PausesBeforeRead(int position);

// Decodes one register's value into the record; a note register's character is appended to the
// note.
void DecodeRegister(uint8_t reg, uint8_t value, TZEMO& record);

struct RegisterWrite {
    uint8_t reg;
    uint8_t value;
    friend bool operator==(const RegisterWrite&, const RegisterWrite&) = default;
};

// The 59 writes of ZapisData in their order, for the record and its derived timing values.
std::array<RegisterWrite, WriteStepCount> WritePlan(const TZEMO& config, uint16_t characterTime,
                                                    uint16_t holdTime);

// True when a list field holds an index the module has no meaning for (for example 255, the
// index of a list with no entry selected).
bool HasInvalidChoice(const TZEMO& config);
