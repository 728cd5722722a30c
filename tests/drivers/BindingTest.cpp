#include "MappedCopies.h"
#include "TestDrivers.h"

#include "core/Cp1250.h"
#include "drivers/DriverBinding.h"
#include "drivers/DynamicLibrary.h"
#include "drivers/ErrorCodes.h"
#include "drivers/InterfaceTypes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using testdriver::CallsTo;
using testdriver::CurrentScript;
using testdriver::ErrorMode;

namespace {

QString LibraryPath(const char* variant, uint8_t type)
{
    return TestDriverDirectory(variant) + '/' + QString::fromLatin1(InterfaceTypes[type].libraryFile);
}

DriverConfigBlock ConfigWith(intptr_t first, intptr_t second = 0, intptr_t third = 0)
{
    DriverConfigBlock config{};
    config[0] = first;
    config[1] = second;
    config[2] = third;
    return config;
}

// Closes whatever the previous test left open, so every test starts unbound.
class Binding : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Version and GetConfig are exported for other users of a driver; the program never
        // calls them.
        EXPECT_TRUE(CallsTo("Version").empty());
        EXPECT_TRUE(CallsTo("GetConfig").empty());
        uint32_t handle = 0;
        CloseDriver(0, &handle);
        LoadDriver(5, &handle, {}); // releases a library kept after a failed Init
        SetProgramDirectory({});
    }
};

} // namespace

TEST_F(Binding, TypeAboveFourLoadsNothing)
{
    UseTestDrivers("full");
    uint32_t handle = 0;
    EXPECT_EQ(LoadDriver(5, &handle, {}), 10);
    EXPECT_EQ(LoadDriver(255, &handle, {}), 10);
    EXPECT_TRUE(testdriver::Calls().empty());
    for (uint8_t type = 0; type < 5; ++type)
        EXPECT_EQ(MappedCopies(LibraryPath("full", type)), 0);
}

TEST_F(Binding, MissingLibraryGivesOneHundredPlusTypeAndItsText)
{
    UseTestDrivers("none");
    for (uint8_t type = 0; type < 5; ++type) {
        uint32_t handle = 0;
        const int32_t code = LoadDriver(type, &handle, {});
        EXPECT_EQ(code, 100 + type);
        EXPECT_EQ(DriverErrorString(type, uint32_t(code)),
                  QStringLiteral("chyba inicializace knihovny ")
                      + QString::fromLatin1(InterfaceTypes[type].windowsName));
    }
    uint32_t handle = 0;
    UseTestDrivers("not_a_library");
    EXPECT_EQ(LoadDriver(2, &handle, {}), 102);
    EXPECT_EQ(DriverErrorString(2, 102), QStringLiteral("chyba inicializace knihovny RVB771.DLL"));
}

TEST_F(Binding, LibraryLackingGetConfigIsRefusedAndUnloadedUnderEveryStem)
{
    UseTestDrivers("no_GetConfig");
    for (uint8_t type = 0; type < 5; ++type) {
        uint32_t handle = 0;
        EXPECT_EQ(LoadDriver(type, &handle, {}), 110 + type);
        EXPECT_EQ(MappedCopies(LibraryPath("no_GetConfig", type)), 0);
        EXPECT_EQ(DriverErrorString(type, 110u + type),
                  QStringLiteral("chybná knihovna ") + QString::fromLatin1(InterfaceTypes[type].windowsName));
    }
    EXPECT_TRUE(testdriver::Calls().empty());
}

TEST_F(Binding, EveryOneOfTheSevenEntriesIsRequired)
{
    for (const char* variant : {"no_Version", "no_Init", "no_SetConfig", "no_Send", "no_Done",
                                "no_Error"}) {
        UseTestDrivers(variant);
        uint32_t handle = 0;
        EXPECT_EQ(LoadDriver(0, &handle, ConfigWith(1)), 110) << variant;
        EXPECT_EQ(MappedCopies(LibraryPath(variant, 0)), 0) << variant;
        EXPECT_TRUE(testdriver::Calls().empty()) << variant;
    }
}

TEST_F(Binding, InitReceivesTheParametersOfItsType)
{
    UseTestDrivers("full");
    const QByteArray ip = "10.20.30.40";
    const std::array<DriverConfigBlock, 5> configs = {
        ConfigWith(4464), ConfigWith(0x2A0), ConfigWith(0), ConfigWith(0),
        ConfigWith(reinterpret_cast<intptr_t>(ip.constData()), 5000, 100)};
    for (uint8_t type = 0; type < 5; ++type) {
        testdriver::Reset();
        CurrentScript().handleOnInit = 0x100u + type;
        uint32_t handle = 0;
        ASSERT_EQ(LoadDriver(type, &handle, configs[type]), 0);
        EXPECT_EQ(handle, 0x100u + type);
        const auto inits = CallsTo("Init");
        ASSERT_EQ(inits.size(), 1u);
        switch (type) {
        case 0:
        case 1:
            EXPECT_EQ(inits[0].args, std::vector<int64_t>{configs[type][0]});
            break;
        case 2:
        case 3:
            EXPECT_TRUE(inits[0].args.empty());
            break;
        default:
            EXPECT_EQ(inits[0].ipAddress, "10.20.30.40");
            ASSERT_EQ(inits[0].args.size(), 16u);
            EXPECT_EQ(inits[0].args[1], 5000);
            EXPECT_EQ(inits[0].args[2], 100);
            for (size_t i = 3; i < 16; ++i)
                EXPECT_EQ(inits[0].args[i], 0);
        }
        EXPECT_EQ(CloseDriver(type, &handle), 0);
        EXPECT_TRUE(CallsTo("Version").empty()) << int(type);
        EXPECT_TRUE(CallsTo("GetConfig").empty()) << int(type);
    }
}

TEST_F(Binding, OpenDriverRoutesConfigurationSendAndClose)
{
    UseTestDrivers("full");
    CurrentScript().setConfigResult = 7;
    CurrentScript().doneResult = 12;
    CurrentScript().handleAfterDone = 99;
    uint32_t handle = 0;
    ASSERT_EQ(LoadDriver(4, &handle, ConfigWith(0, 1, 2)), 0);

    EXPECT_EQ(ConfigureDriver(4, handle, 115200, 200, 2), 7);
    EXPECT_EQ(CallsTo("SetConfig")[0].args, (std::vector<int64_t>{handle, 115200, 200, 2}));

    CurrentScript().replies.push_back({21, 22, 23, {1, 2, 3, 4}, false});
    DriverBuffer request{};
    request[1] = 102;
    DriverBuffer response{};
    int32_t extra = 0;
    int32_t status = 0;
    EXPECT_EQ(DriverSend(4, handle, request, response, extra, status), 21);
    EXPECT_EQ(status, 22);
    EXPECT_EQ(extra, 23);
    EXPECT_EQ(response[3], 4);

    const uint32_t opened = handle;
    EXPECT_EQ(CloseDriver(4, &handle), 12);
    EXPECT_EQ(CallsTo("Done")[0].args, std::vector<int64_t>{opened});
    EXPECT_EQ(handle, 99u);
    EXPECT_EQ(MappedCopies(LibraryPath("full", 4)), 0);
}

TEST_F(Binding, AfterCloseNothingReachesTheDriver)
{
    UseTestDrivers("full");
    uint32_t handle = 0;
    ASSERT_EQ(LoadDriver(0, &handle, ConfigWith(1)), 0);
    ASSERT_EQ(CloseDriver(0, &handle), 0);
    testdriver::Calls().clear();

    DriverBuffer request{};
    DriverBuffer response{};
    int32_t extra = 0;
    int32_t status = 0;
    EXPECT_EQ(ConfigureDriver(0, 1, 9600, 200, 2), 10);
    EXPECT_EQ(DriverSend(0, 1, request, response, extra, status), 10);
    EXPECT_EQ(CloseDriver(0, &handle), 10);
    DriverBuffer text{};
    text[1] = 'x';
    EXPECT_EQ(DriverErrorText(0, 5, text), 10);
    EXPECT_EQ(text[1], 'x');
    EXPECT_TRUE(testdriver::Calls().empty());
}

TEST_F(Binding, TypeAboveFourNeverReachesABoundDriver)
{
    UseTestDrivers("full");
    uint32_t handle = 0;
    ASSERT_EQ(LoadDriver(0, &handle, ConfigWith(1)), 0);
    testdriver::Calls().clear();
    DriverBuffer request{};
    DriverBuffer response{};
    int32_t extra = 0;
    int32_t status = 0;
    EXPECT_EQ(ConfigureDriver(5, handle, 9600, 200, 2), 10);
    EXPECT_EQ(DriverSend(6, handle, request, response, extra, status), 10);
    EXPECT_EQ(CloseDriver(7, &handle), 10);
    DriverBuffer text{};
    EXPECT_EQ(DriverErrorText(5, 3, text), 10);
    EXPECT_EQ(BufferToText(text), QString());
    EXPECT_TRUE(testdriver::Calls().empty());
    EXPECT_EQ(MappedCopies(LibraryPath("full", 0)), 1);
}

TEST_F(Binding, AFailedInitKeepsTheLibraryForItsErrorText)
{
    UseTestDrivers("full");
    CurrentScript().initResult = 5;
    uint32_t handle = 0;
    EXPECT_EQ(LoadDriver(1, &handle, ConfigWith(0x300)), 5);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(DriverErrorString(1, 5), QStringLiteral("chyba ovladače 5"));
    EXPECT_EQ(CallsTo("Error")[0].args, std::vector<int64_t>{5});
}

TEST_F(Binding, RepeatedFailedInitsNeverLeakTheLibrary)
{
    UseTestDrivers("full");
    CurrentScript().initResult = 3;
    const QString path = LibraryPath("full", 0);
    for (int i = 0; i < 1000; ++i) {
        uint32_t handle = 0;
        ASSERT_EQ(LoadDriver(0, &handle, ConfigWith(1)), 3);
        ASSERT_LE(MappedCopies(path), 1);
    }
    EXPECT_EQ(MappedCopies(path), 1);
    uint32_t handle = 0;
    EXPECT_EQ(LoadDriver(5, &handle, {}), 10);
    EXPECT_EQ(MappedCopies(path), 0); // no reference was left behind
}

TEST_F(Binding, LoadingOverAnOpenDriverLeavesItOpen)
{
    // Closing is the caller's: a second load neither calls the open driver's Done nor unloads
    // the code that its handle still belongs to. In a child process, where that library may
    // stay mapped for good.
    UseTestDrivers("full");
    EXPECT_EXIT(
        {
            uint32_t first = 0;
            uint32_t second = 0;
            const bool loaded = LoadDriver(0, &first, ConfigWith(1)) == 0 && LoadDriver(3, &second, {}) == 0;
            const bool leftOpen = CallsTo("Done").empty() && MappedCopies(LibraryPath("full", 0)) == 1;
            std::fprintf(stderr, "loaded %d, left open %d\n", loaded, leftOpen);
            std::_Exit(loaded && leftOpen ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "loaded 1, left open 1");
}

TEST(DynamicLibrary, AnEmptyPathOpensNothing)
{
    // Where the program's directory is unknown, a library's path is empty; the loader would
    // hand out the program itself for it.
    EXPECT_EQ(OpenLibrary(QString()), nullptr);
}

TEST_F(Binding, SystemTextsFollowTheCodeNotTheType)
{
    UseTestDrivers("none");
    EXPECT_EQ(DriverErrorString(3, 101), QStringLiteral("chyba inicializace knihovny RVA770.DLL"));
    EXPECT_EQ(DriverErrorString(9, 114), QStringLiteral("chybná knihovna RVD773.DLL"));
    for (uint32_t code : {105u, 107u, 109u, 115u, 200u, 0xFFFFFFFFu})
        EXPECT_EQ(DriverErrorString(0, code), QStringLiteral("neznámý chybový kód")) << code;
    DriverBuffer text{};
    text.fill(1);
    EXPECT_EQ(DriverErrorText(0, 107, text), 0);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(text[20], 0);
}

TEST_F(Binding, DriverTextsAreBoundedWhateverTheDriverWrites)
{
    UseTestDrivers("full");
    uint32_t handle = 0;
    ASSERT_EQ(LoadDriver(2, &handle, {}), 0);

    CurrentScript().errorMode = ErrorMode::NoTerminator;
    const QString unterminated = DriverErrorString(2, 4);
    EXPECT_EQ(unterminated.size(), 100);
    EXPECT_TRUE(unterminated.startsWith(QStringLiteral("ABCD")));

    CurrentScript().errorMode = ErrorMode::WildValues;
    DriverBuffer wild{};
    DriverErrorText(2, 4, wild);
    const QString text = BufferToText(wild);
    // Element 56 is -256: its low byte is 0, so the text ends before it, without a NUL.
    ASSERT_EQ(text.size(), 56);
    EXPECT_FALSE(text.contains(QChar(u'\0')));
    EXPECT_EQ(text[1], QChar(u'b'));               // 0x162: its low byte
    EXPECT_EQ(text[2], DecodeCp1250(QByteArray(1, char((-202) & 0xFF)))[0]);
    EXPECT_EQ(text[55], QChar(u'a' + 55 % 26));

    CurrentScript().errorMode = ErrorMode::Normal;
    EXPECT_EQ(DriverErrorString(2, 0), QStringLiteral("V pořádku"));
    CloseDriver(2, &handle);
}
