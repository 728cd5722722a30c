// The module's 32-bit status register: reading it, clearing it, and what its bits are called.
#pragma once

#include "core/Records.h"
#include "drivers/Transaction.h"

#include <QString>

#include <array>
#include <cstdint>

inline constexpr int StatusColumns = 4;  // one per status byte
inline constexpr int StatusRows = 8;     // bit 0 at the top

// The caption of each bit, by column (status byte) and row (bit).
extern const std::array<std::array<const char*, StatusRows>, StatusColumns> StatusBitCaptions;

inline bool StatusBit(const ModuleData& bytes, int column, int row)
{
    return (bytes[size_t(column)] >> row & 1) != 0;
}

enum class StatusOutcome {
    NotReady,  // no ready connection: nothing was sent
    Failed,    // the transaction failed
    Done,
};

struct StatusReply {
    StatusOutcome outcome = StatusOutcome::NotReady;
    ModuleData bytes{};   // the register's four bytes, after a read that was done
    QString statusText;   // for the status bar: a blank and the text of the status
};

// Reads the status register of the module at the address.
StatusReply ReadStatusRegister(const TData& data, uint8_t address);
// Clears it. A clear that was done carries no text.
StatusReply ClearStatusRegister(const TData& data, uint8_t address);
