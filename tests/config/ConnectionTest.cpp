#include "TestDrivers.h"

#include "FakeModule.h"

#include "config/Connection.h"
#include "core/Cp1250.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <set>

using testdriver::CallsTo;
using testdriver::CurrentScript;
using testdriver::FakeModule;

namespace {

class Connection : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestDrivers("full");
        InitData(data);
        module.Install();
    }
    void TearDown() override
    {
        CloseConnection(data);
        SetProgramDirectory({});
    }

    ConnectionInput Input(int type, const QString& address = QStringLiteral("0"),
                          std::array<QString, 3> parameters = {QStringLiteral("1"), {}, {}})
    {
        ConnectionInput input;
        input.interfaceType = type;
        input.moduleAddress = address;
        input.speedIndex = 4;
        input.parameters = std::move(parameters);
        return input;
    }
    ConnectionResult Connect(const ConnectionInput& input)
    {
        reported.clear();
        return InitializeConnection(data, input,
                                    [this](const QString& text) { reported.push_back(text); });
    }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> entries;
        for (const auto& call : testdriver::Calls()) {
            if (call.entry != "Error")
                entries.push_back(call.entry);
        }
        return entries;
    }

    TData data;
    FakeModule module;
    std::vector<QString> reported;
};

const QString Initialising = QStringLiteral("Probíhá inicializace připojení");
const QString Success = QStringLiteral("Připojení úspěšně inicializováno. Připojen modul   ");

} // namespace

TEST(ConnectionTexts, ModuleAddressIsAnyIntegerReducedToAByte)
{
    EXPECT_EQ(ModuleAddressFromText(QStringLiteral("300")), 44);
    EXPECT_EQ(ModuleAddressFromText(QStringLiteral("abc")), 0);
    EXPECT_EQ(ModuleAddressFromText(QString()), 0);
    EXPECT_EQ(ModuleAddressFromText(QStringLiteral("-1")), 255);
    EXPECT_EQ(ModuleAddressFromText(QStringLiteral("$1F")), 31);
}

TEST(ConnectionTexts, ComPortDefaultsToOneAndKeepsSixteenBits)
{
    EXPECT_EQ(ComPortFromText(QString()), 1);
    EXPECT_EQ(ComPortFromText(QStringLiteral("COM3")), 1);
    EXPECT_EQ(ComPortFromText(QStringLiteral("70000")), 4464);
    EXPECT_EQ(ComPortFromText(QStringLiteral(" 3 ")), 3);
}

TEST(ConnectionTexts, BaseAddressNeedsFourCharactersWithThreeHexDigits)
{
    EXPECT_EQ(BaseAddressFromText(QStringLiteral("2A0h")), 672);
    EXPECT_EQ(BaseAddressFromText(QStringLiteral("2a0h")), 672);
    EXPECT_EQ(BaseAddressFromText(QStringLiteral("2A0")), 768);
    EXPECT_EQ(BaseAddressFromText(QStringLiteral("12345")), 768);
    EXPECT_EQ(BaseAddressFromText(QStringLiteral("zzzh")), 768);
    EXPECT_EQ(BaseAddressFromText(QStringLiteral("-1Ah")), 768);
    EXPECT_EQ(BaseAddressText(672), QStringLiteral("2A0h"));
    EXPECT_EQ(BaseAddressText(768), QStringLiteral("300h"));
    EXPECT_EQ(BaseAddressText(0x2A), QStringLiteral("02Ah"));
    EXPECT_EQ(BaseAddressText(0xFFFF), QStringLiteral("FFFFh"));
}

TEST(ConnectionTexts, UdpValuesMustLieInSixteenUnsignedBits)
{
    EXPECT_EQ(UdpValueFromText(QStringLiteral("65535")), 65535);
    EXPECT_EQ(UdpValueFromText(QStringLiteral("0")), 0);
    EXPECT_EQ(UdpValueFromText(QStringLiteral("65536")), std::nullopt);
    EXPECT_EQ(UdpValueFromText(QStringLiteral("-1")), std::nullopt);
    EXPECT_EQ(UdpValueFromText(QStringLiteral("abc")), std::nullopt);
    EXPECT_EQ(UdpValueFromText(QString()), std::nullopt);
}

TEST(ConnectionTexts, ParameterRowsFollowTheInterface)
{
    TData data;
    InitData(data);
    data.ComPort = 3;
    EXPECT_EQ(ParameterRowsFor(data, 0)[0].text, QStringLiteral("3"));
    EXPECT_FALSE(ParameterRowsFor(data, 0)[1].shown);
    EXPECT_EQ(ParameterRowsFor(data, 1)[0].caption, QStringLiteral("Bázová adresa RVA-770"));
    EXPECT_EQ(ParameterRowsFor(data, 1)[0].text, QStringLiteral("300h"));
    for (int type : {2, 3}) {
        for (const ParameterRow& row : ParameterRowsFor(data, type))
            EXPECT_FALSE(row.shown);
    }
    const ParameterRows lan = ParameterRowsFor(data, 4);
    EXPECT_EQ(lan[0].text, data.IpAddress);
    EXPECT_EQ(lan[1].caption, QStringLiteral("UDP port"));
    EXPECT_EQ(lan[1].text, QStringLiteral("5000"));
    EXPECT_EQ(lan[2].caption, QStringLiteral("UDP timeout"));
    EXPECT_EQ(lan[2].text, QStringLiteral("100"));
}

TEST(ConnectionTexts, ControlCharactersOfTheNameShowAsDots)
{
    const QString name = QStringLiteral("KQ") + QChar(0) + QChar(0) + QStringLiteral("3110 v.1.00");
    EXPECT_EQ(DisplayModuleName(name), QStringLiteral("KQ··3110 v.1.00"));

    // Every byte a module can send: DEL and the five unassigned codes are dots too.
    const std::set<int> unassigned = {0x7F, 0x81, 0x83, 0x88, 0x90, 0x98};
    for (int code = 0; code < 256; ++code) {
        const QString sent(Cp1250ToChar(uint8_t(code)));
        const bool dot = code < 0x20 || unassigned.count(code) > 0;
        EXPECT_EQ(DisplayModuleName(sent), dot ? QStringLiteral("·") : sent) << code;
    }
}

TEST_F(Connection, IdentifiesTheModuleAndRecordsTheConnection)
{
    module.name = "ABCDEFGH";
    module.version = "1.00";
    module.address = 5;
    data.StatusText = QStringLiteral("něco jiného");
    const ConnectionResult result = Connect(Input(0, QStringLiteral("5")));

    EXPECT_TRUE(result.connected);
    EXPECT_EQ(result.stage, ConnectionStage::Connected);
    EXPECT_EQ(data.ModuleName, QStringLiteral("ABCDEFGH v.1.00"));
    EXPECT_EQ(result.panelText, Success + QStringLiteral("ABCDEFGH v.1.00"));
    EXPECT_EQ(reported, (std::vector<QString>{Initialising, result.panelText}));
    EXPECT_EQ(data.Connected, 1);
    EXPECT_EQ(data.DriverHandle, CurrentScript().handleOnInit);
    EXPECT_EQ(data.ModuleAddress, 5);
    EXPECT_EQ(data.Speed, 9600u);
    EXPECT_EQ(data.StatusText, QStringLiteral("V pořádku"));

    const auto sends = CallsTo("Send");
    ASSERT_EQ(sends.size(), 3u);
    for (int32_t subcode = 0; subcode < 3; ++subcode) {
        EXPECT_EQ(sends[size_t(subcode)].request,
                  (std::array<int32_t, 8>{5, 200, subcode, 0, 0, 0, 0, 0}));
    }
}

TEST_F(Connection, ExtraValueIsClearedOnlyBeforeTheFirstIdentification)
{
    CurrentScript().replies = {{0, 0, 0x21, {'A', 'B', 'C', 'D'}, false},
                               {0, 0, 0x42, {'E', 'F', 'G', 'H'}, false},
                               {0, 0, 0, {'1', '.', '0', '0'}, false}};
    ASSERT_TRUE(Connect(Input(0)).connected);
    const auto sends = CallsTo("Send");
    ASSERT_EQ(sends.size(), 3u);
    EXPECT_EQ(sends[0].request[3], 0);
    EXPECT_EQ(sends[1].request[3], 0x21);
    EXPECT_EQ(sends[2].request[3], 0x42);
    EXPECT_EQ(data.ModuleName, QStringLiteral("ABCDEFGH v.1.00"));
}

TEST_F(Connection, NameKeepsTheBytesOfCodeZeroAsTheModuleSentThem)
{
    module.name = std::string("AB\0\0CDEF", 8);
    ASSERT_TRUE(Connect(Input(0)).connected);
    EXPECT_EQ(data.ModuleName.size(), 15);
    EXPECT_EQ(data.ModuleName[2], QChar(0));
    EXPECT_EQ(Connect(Input(0)).panelText, Success + QStringLiteral("AB··CDEF v.1.09"));
}

TEST_F(Connection, ComPortTextIsReducedAndRewritten)
{
    const ConnectionResult result = Connect(Input(0, QStringLiteral("300"), {QStringLiteral("70000"), {}, {}}));
    EXPECT_EQ(result.moduleAddress, QStringLiteral("44"));
    EXPECT_EQ(result.parameters[0], QStringLiteral("4464"));
    EXPECT_EQ(data.DriverConfig[0], 4464);
    EXPECT_EQ(data.ComPort, 112);
    EXPECT_EQ(CallsTo("Init").at(0).args, (std::vector<int64_t>{4464}));

    EXPECT_EQ(Connect(Input(0, QStringLiteral("abc"), {QString(), {}, {}})).parameters[0],
              QStringLiteral("1"));
    EXPECT_EQ(data.ComPort, 1);
}

TEST_F(Connection, BaseAddressTextIsReadAndShownInHexadecimal)
{
    ConnectionResult result = Connect(Input(1, QStringLiteral("0"), {QStringLiteral("2A0h"), {}, {}}));
    EXPECT_EQ(result.parameters[0], QStringLiteral("2A0h"));
    EXPECT_EQ(data.BaseAddress, 672);
    EXPECT_EQ(CallsTo("Init").back().args, (std::vector<int64_t>{672}));

    result = Connect(Input(1, QStringLiteral("0"), {QStringLiteral("zzzh"), {}, {}}));
    EXPECT_EQ(result.parameters[0], QStringLiteral("300h"));
    EXPECT_EQ(data.BaseAddress, 768);
}

TEST_F(Connection, TimeoutFollowsTheSpeed)
{
    const std::vector<std::pair<int, std::vector<int64_t>>> cases = {
        {0, {600, 1000}}, {3, {4800, 300}}, {4, {9600, 200}}, {8, {115200, 200}}};
    for (const auto& [index, expected] : cases) {
        testdriver::Calls().clear();
        ConnectionInput input = Input(2);
        input.speedIndex = index;
        ASSERT_TRUE(Connect(input).connected);
        const auto setConfig = CallsTo("SetConfig");
        ASSERT_EQ(setConfig.size(), 1u);
        EXPECT_EQ(setConfig[0].args,
                  (std::vector<int64_t>{CurrentScript().handleOnInit, expected[0], expected[1], 2}));
        EXPECT_EQ(data.Speed, uint32_t(expected[0]));
    }
}

TEST_F(Connection, StoredSpeedOutsideTheListConnectsAt9600)
{
    data.Speed = 0;
    const ConnectionInput form = ConnectionInputFromRecord(data);
    EXPECT_EQ(form.speedIndex, 4);
    ASSERT_TRUE(Connect(form).connected);
    EXPECT_EQ(data.Speed, 9600u);
}

TEST_F(Connection, SecondAttemptClosesTheFirstConnection)
{
    ASSERT_TRUE(Connect(Input(0)).connected);
    CurrentScript().handleOnInit = 0x7777;
    ASSERT_TRUE(Connect(Input(3)).connected);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Init", "SetConfig", "Send", "Send", "Send", "Done",
                                                   "Init", "SetConfig", "Send", "Send", "Send"}));
    EXPECT_EQ(CallsTo("Done")[0].args, (std::vector<int64_t>{0x5EC0}));
    EXPECT_EQ(data.DriverHandle, 0x7777u);
    EXPECT_EQ(data.InterfaceType, 3);
}

TEST_F(Connection, LanParametersAreCheckedInOrder)
{
    ConnectionResult result = Connect(Input(4, QStringLiteral("0"), {QString(), QStringLiteral("1"), QStringLiteral("1")}));
    EXPECT_EQ(result.panelText, QStringLiteral("Neplatná IP adresa"));
    EXPECT_EQ(data.InterfaceType, 4);

    result = Connect(Input(4, QStringLiteral("0"), {QStringLiteral("10.0.0.9"), QStringLiteral("65536"), QStringLiteral("1")}));
    EXPECT_EQ(result.panelText, QStringLiteral("Neplatný UDP port"));
    EXPECT_EQ(data.IpAddress, QStringLiteral("10.0.0.9"));

    result = Connect(Input(4, QStringLiteral("0"), {QStringLiteral("10.0.0.9"), QStringLiteral("65535"), QStringLiteral("x")}));
    EXPECT_EQ(result.panelText, QStringLiteral("Neplatný UDP timeout"));
    EXPECT_EQ(result.stage, ConnectionStage::Input);
    EXPECT_EQ(data.UdpPort, 65535);
    EXPECT_TRUE(CallsTo("Init").empty());
    EXPECT_EQ(data.DriverConfig, DriverConfigBlock{});
    EXPECT_EQ(data.Connected, 0);
}

TEST_F(Connection, LanDriverReceivesAddressPortAndTimeout)
{
    ASSERT_TRUE(Connect(Input(4, QStringLiteral("0"), {QStringLiteral("127.0.0.1"), QStringLiteral("5001"), QStringLiteral("250")})).connected);
    const auto init = CallsTo("Init");
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0].ipAddress, "127.0.0.1");
    EXPECT_EQ(init[0].args[1], 5001);
    EXPECT_EQ(init[0].args[2], 250);
    EXPECT_EQ(data.UdpPort, 5001);
    EXPECT_EQ(data.UdpTimeout, 250);
    // The block in the record still points at the address text after the call.
    EXPECT_STREQ(reinterpret_cast<const char*>(data.DriverConfig[0]), "127.0.0.1");
}

TEST_F(Connection, EveryAttemptStartsFromAnEmptyParameterBlock)
{
    const std::array<QString, 3> lan = {QStringLiteral("127.0.0.1"), QStringLiteral("5001"),
                                        QStringLiteral("250")};
    ASSERT_TRUE(Connect(Input(4, QStringLiteral("0"), lan)).connected);
    ASSERT_TRUE(Connect(Input(0, QStringLiteral("0"), {QStringLiteral("3"), {}, {}})).connected);
    DriverConfigBlock expected{};
    expected[0] = 3;
    EXPECT_EQ(data.DriverConfig, expected);  // nothing left of the LAN attempt's three elements
}

TEST_F(Connection, RejectedInputLeavesNoConnectionOpen)
{
    ASSERT_TRUE(Connect(Input(0)).connected);
    Connect(Input(4, QStringLiteral("0"), {QString(), {}, {}}));
    EXPECT_EQ(CallsTo("Done").size(), 1u);
    EXPECT_FALSE(ConnectionReady(data));
}

TEST_F(Connection, MissingLibraryIsReportedWithItsName)
{
    QTemporaryDir empty;
    SetProgramDirectory(empty.path());
    const ConnectionResult result = Connect(Input(2));
    EXPECT_FALSE(result.connected);
    EXPECT_EQ(result.panelText,
              QStringLiteral("Chyba inicializace připojení - chyba inicializace knihovny RVB771.DLL"));
    EXPECT_EQ(result.stage, ConnectionStage::Load);
    EXPECT_EQ(data.Connected, 0);
}

TEST_F(Connection, FailedInitShowsTheDriversTextAndLeavesTheHandle)
{
    data.DriverHandle = 0x1234;  // left from an earlier, closed connection
    CurrentScript().initResult = 5;
    const ConnectionResult result = Connect(Input(0));
    EXPECT_EQ(result.panelText, QStringLiteral("Chyba inicializace připojení - chyba ovladače 5"));
    EXPECT_EQ(result.stage, ConnectionStage::Load);
    EXPECT_EQ(data.Connected, 0);
    EXPECT_EQ(data.DriverHandle, 0x1234u);
    EXPECT_TRUE(CallsTo("Done").empty());
}

TEST_F(Connection, FailedSpeedSettingClosesTheDriver)
{
    CurrentScript().setConfigResult = 7;
    CurrentScript().handleAfterDone = 0xD0;  // what Done leaves is stored back
    const ConnectionResult result = Connect(Input(0));
    EXPECT_EQ(result.panelText, QStringLiteral("Chyba inicializace připojení - chyba ovladače 7"));
    EXPECT_EQ(result.stage, ConnectionStage::Configure);
    EXPECT_EQ(CallsTo("Done").size(), 1u);
    EXPECT_EQ(data.Connected, 0);
    EXPECT_EQ(data.DriverHandle, 0xD0u);
    EXPECT_TRUE(CallsTo("Send").empty());
}

TEST_F(Connection, FailedIdentificationShowsTheStatusTextAlone)
{
    module.failAtTransaction = 2;
    module.failStatus = 3;
    CurrentScript().handleAfterDone = 0xD1;
    const QString earlierName = data.ModuleName = QStringLiteral("dřívější v.1.00");
    const ConnectionResult result = Connect(Input(0));
    EXPECT_FALSE(result.connected);
    EXPECT_EQ(result.panelText, QStringLiteral("chyba ovladače 3"));
    EXPECT_EQ(result.stage, ConnectionStage::Identify);
    EXPECT_EQ(CallsTo("Send").size(), 2u);
    EXPECT_EQ(CallsTo("Done").size(), 1u);
    EXPECT_EQ(data.Connected, 0);
    EXPECT_EQ(data.DriverHandle, 0xD1u);
    EXPECT_EQ(data.ModuleName, earlierName);
    EXPECT_EQ(data.StatusText, QStringLiteral("Připojení modulu dosud neinicializováno"));
}

TEST_F(Connection, DriverThatGivesNoHandleIsNotTakenForAModule)
{
    CurrentScript().handleOnInit = 0;
    const ConnectionResult result = Connect(Input(0));
    EXPECT_FALSE(result.connected);
    EXPECT_TRUE(CallsTo("Send").empty());
    EXPECT_EQ(result.panelText, QStringLiteral("ovladač není připojen")); // the driver's text for 10
    EXPECT_EQ(CallsTo("Done").size(), 1u);
    EXPECT_FALSE(ConnectionReady(data));
}
