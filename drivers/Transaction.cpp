#include "Transaction.h"

#include "DriverBinding.h"
#include "ErrorCodes.h"

namespace {

uint8_t LowByte(int32_t value)
{
    return uint8_t(value & 0xFF);
}

// Success is decided on the whole status; only then is it cut to a byte, and a failure whose
// low byte is 0 must not come out as success.
uint8_t StatusByte(int32_t status)
{
    if (status == 0)
        return 0;
    const uint8_t low = LowByte(status);
    return low != 0 ? low : CodeUnknownFailure;
}

} // namespace

void ModuleTransaction(uint8_t type, uint32_t handle, uint8_t address, uint8_t command,
                       uint8_t subcode, uint8_t& extra, ModuleData& data, uint8_t& status,
                       DriverBuffer& response)
{
    if (handle == 0)
        return;

    DriverBuffer request{};
    request[0] = address;
    request[1] = command;
    request[2] = subcode;
    request[3] = extra;
    for (size_t i = 0; i < data.size(); ++i)
        request[4 + i] = data[i];

    int32_t replyExtra = 0;
    int32_t replyStatus = 0;
    const int32_t result = DriverSend(type, handle, request, response, replyExtra, replyStatus);
    if (result != 0)
        replyStatus = result;

    status = StatusByte(replyStatus);
    if (status == 0) {
        extra = LowByte(replyExtra);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = LowByte(response[i]);
    } else {
        extra = 0;
        data.fill(0);
    }
}

uint8_t ReadRegister(uint8_t type, uint32_t handle, uint8_t address, uint8_t reg,
                     uint8_t& status)
{
    if (handle == 0) {
        status = CodeNoDriver;
        return 0;
    }
    DriverBuffer response{};
    uint8_t extra = 0;
    ModuleData data = {reg, reg, 0, 0};
    ModuleTransaction(type, handle, address, CmdReadRegister, 0, extra, data, status, response);
    return status == 0 ? data[2] : 0;
}

bool WriteVerifyRegister(uint8_t type, uint32_t handle, uint8_t reg, uint8_t value,
                         bool& verified, uint8_t& status)
{
    verified = false;
    if (handle == 0) {
        status = CodeNoDriver;
        return false;
    }

    DriverBuffer response{};
    uint8_t extra = 0;
    ModuleData data = {reg, reg, value, value};
    ModuleTransaction(type, handle, 0, CmdWriteRegister, 0, extra, data, status, response);
    if (status != 0)
        return false;

    const uint8_t readBack = ReadRegister(type, handle, 0, reg, status);
    if (status != 0)
        return false;
    verified = readBack == value;
    return true;
}
