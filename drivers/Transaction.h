// One exchange with a module through the bound driver, and the write of a register with its
// read-back.
#pragma once

#include "DriverBuffer.h"

#include <array>
#include <cstdint>

inline constexpr uint8_t CmdReadStatus = SERKON_COMMAND_READ_STATUS;
inline constexpr uint8_t CmdClearStatus = SERKON_COMMAND_CLEAR_STATUS;
inline constexpr uint8_t CmdReadRegister = SERKON_COMMAND_READ_REGISTER;
inline constexpr uint8_t CmdWriteRegister = SERKON_COMMAND_WRITE_REGISTER;
inline constexpr uint8_t CmdIdentify = SERKON_COMMAND_IDENTIFY;

// Data bytes 0 to 3 of a request or a reply.
using ModuleData = std::array<uint8_t, 4>;

// Sends address, command, sub-code, extra value and data bytes and waits for the reply.
// With handle 0 nothing is sent and nothing written. Otherwise status receives the low byte of
// the driver's status (or of Send's result when that is not 0), except that a failure whose low
// byte is 0 arrives as CodeUnknownFailure (255); on status 0, extra and data receive the low
// bytes of the reply, on any other status they are set to 0.
void ModuleTransaction(uint8_t type, uint32_t handle, uint8_t address, uint8_t command,
                       uint8_t subcode, uint8_t& extra, ModuleData& data, uint8_t& status,
                       DriverBuffer& response);

// Writes the register at bus address 0 and reads it back. False when a transaction failed
// (status says why) or, with status 10, when there is no connection (handle 0); true with
// verified false when the module holds another value.
bool WriteVerifyRegister(uint8_t type, uint32_t handle, uint8_t reg, uint8_t value,
                         bool& verified, uint8_t& status);

// Reads one register at the address; the value is 0 unless status is 0. With handle 0 nothing
// is sent and status is 10.
uint8_t ReadRegister(uint8_t type, uint32_t handle, uint8_t address, uint8_t reg,
                     uint8_t& status);
