#include "StatusRegister.h"

#include "Connection.h"

#include "drivers/DriverBinding.h"

const std::array<std::array<const char*, StatusRows>, StatusColumns> StatusBitCaptions = {{
    {"---", "FN", "PRF", "---", "PWR", "RST", "ERR24", "---"},
    {"---", "---", "---", "---", "---", "---", "---", "---"},
    {"---", "---", "---", "---", "---", "---", "---", "---"},
    {"---", "---", "---", "---", "---", "---", "---", "---"},
}};

namespace {

StatusReply Exchange(const TData& data, uint8_t address, uint8_t command)
{
    StatusReply reply;
    if (!ConnectionReady(data)) {
        reply.statusText = ConnectionNotReadyText();
        return reply;
    }
    uint8_t extra = 0;
    uint8_t status = 0;
    DriverBuffer response{};
    ModuleTransaction(data.InterfaceType, data.DriverHandle, address, command, 0, extra,
                      reply.bytes, status, response);
    reply.statusText = u' ' + DriverErrorString(data.InterfaceType, status);
    reply.outcome = status == 0 ? StatusOutcome::Done : StatusOutcome::Failed;
    return reply;
}

} // namespace

StatusReply ReadStatusRegister(const TData& data, uint8_t address)
{
    return Exchange(data, address, CmdReadStatus);
}

StatusReply ClearStatusRegister(const TData& data, uint8_t address)
{
    StatusReply reply = Exchange(data, address, CmdClearStatus);
    if (reply.outcome == StatusOutcome::Done)
        reply.statusText.clear();
    return reply;
}
