// The module access tests: the driver libraries through the program's binding against the
// simulated module, the same tests over every line the platform has. Each line's file
// instantiates them with the line (INSTANTIATE_TEST_SUITE_P(Lines, ModuleAccess, ...)).
#pragma once

#include "Connection.h"
#include "Interfaces.h"
#include "tests/support/ProgramFolder.h"

#include "Servers.h"

#include "drivers/DriverBinding.h"
#include "drivers/Transaction.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline constexpr uint8_t ModuleAddress = 5;

struct LineUnderTest {
    const char* name;
    uint8_t interfaceType;
    // Serves the module on the line and opens the connection to it; what it returns keeps the
    // line served until it is destroyed. Null, with a failure added, when it could not.
    std::shared_ptr<void> (*serve)(sim::Module& module, const ProgramFolder& folder,
                                   Connection& connection);
};

// The server once it listens and the connection has opened through it (open returns Init's
// code); null, with a failure added, otherwise.
template <typename Server, typename Open>
std::shared_ptr<void> Opened(std::shared_ptr<Server> server, Open open)
{
    if (!server->Listening()) {
        ADD_FAILURE() << server->Failure();
        return nullptr;
    }
    if (const int32_t code = open(*server); code != 0) {
        ADD_FAILURE() << "Init: " << code;
        return nullptr;
    }
    return server;
}

inline void PrintTo(const LineUnderTest& line, std::ostream* out)
{
    *out << line.name;
}

inline std::string LineName(const ::testing::TestParamInfo<LineUnderTest>& info)
{
    return info.param.name;
}

class ModuleAccess : public ::testing::TestWithParam<LineUnderTest> {
protected:
    void SetUp() override
    {
        server = GetParam().serve(module, folder, connection);
        ASSERT_NE(server, nullptr);
        ASSERT_NE(connection.Handle(), 0u);
        ASSERT_EQ(connection.Configure(), 0);
    }

    uint64_t Heard() const { return module.GetCounters().requests; }

    // The driver has returned, so the module has heard every attempt; one more transaction
    // that succeeds proves no further attempt was still on its way.
    uint64_t AttemptsOfLastTransaction(uint64_t heardBefore)
    {
        module.ClearFaults();
        EXPECT_EQ(connection.ReadRegister(ModuleAddress, 4).status, 0);
        return Heard() - heardBefore - 1;
    }

    ProgramFolder folder;
    sim::Module module{"KQ-3110", ModuleAddress};
    std::shared_ptr<void> server;
    Connection connection{GetParam().interfaceType};
};
