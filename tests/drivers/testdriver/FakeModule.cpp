#include "FakeModule.h"

namespace testdriver {

namespace {

constexpr int32_t NoReplyStatus = 3;
constexpr int32_t UnknownCommandStatus = 40;

Reply Data(uint8_t d0, uint8_t d1, uint8_t d2, uint8_t d3)
{
    Reply reply;
    reply.data = {d0, d1, d2, d3};
    return reply;
}

Reply Failure(int32_t status)
{
    Reply reply;
    reply.status = status;
    return reply;
}

} // namespace

FakeModule::FakeModule() = default;

void FakeModule::Install()
{
    transactions = 0;
    CurrentScript().module = [this](const std::array<int32_t, 8>& request) {
        return Answer(request);
    };
}

Reply FakeModule::Answer(const std::array<int32_t, 8>& request)
{
    ++transactions;
    if (transactions == failAtTransaction)
        return Failure(failStatus);
    if (request[0] != 0 && request[0] != address)
        return Failure(NoReplyStatus);

    const auto reg = uint8_t(request[4]);
    switch (request[1]) {
    case 100:
        return Data(statusRegister[0], statusRegister[1], statusRegister[2], statusRegister[3]);
    case 101:
        statusRegister.fill(0);
        return Data(0, 0, 0, 0);
    case 102: {
        const uint8_t value = wrongReadBackRegister == reg ? wrongReadBackValue : registers[reg];
        return Data(reg, reg, value, value);
    }
    case 103:
        registers[reg] = uint8_t(request[6]);
        return Data(reg, reg, registers[reg], registers[reg]);
    case 200: {
        const std::string& source = request[2] == 2 ? version : name;
        const size_t offset = request[2] == 1 ? 4 : 0;
        std::array<uint8_t, 4> chars{};
        for (size_t i = 0; i < 4 && offset + i < source.size(); ++i)
            chars[i] = uint8_t(source[offset + i]);
        return Data(chars[0], chars[1], chars[2], chars[3]);
    }
    default:
        return Failure(UnknownCommandStatus);
    }
}

} // namespace testdriver
