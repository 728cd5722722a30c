// A module behind the test driver: a register map, a status register and an identification,
// answering the commands of the program, with faults on request.
#pragma once

#include "ScriptControl.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace testdriver {

class FakeModule {
public:
    FakeModule();

    // Makes this module answer every Send that has no queued reply.
    void Install();

    std::array<uint8_t, 256> registers{};
    std::array<uint8_t, 4> statusRegister{};
    std::string name = "KQ-3110 ";   // 8 characters
    std::string version = "1.09";    // 4 characters
    uint8_t address = 0;             // answers at its own address and at 0

    // Faults: the n-th transaction (1-based, counted from Install) fails with the status; a
    // read-back of the register returns the given value instead of the register's.
    int failAtTransaction = 0;
    int32_t failStatus = 0;
    std::optional<uint8_t> wrongReadBackRegister;
    uint8_t wrongReadBackValue = 0;

    int transactions = 0;

private:
    Reply Answer(const std::array<int32_t, 8>& request);
};

} // namespace testdriver
