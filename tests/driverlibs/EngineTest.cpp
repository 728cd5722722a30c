// The transaction engine, the ISA card's UART path, the choice of the USB converter and the
// code texts, below the entries.
#include "DriverCodes.h"
#include "DriverSession.h"
#include "HandleTable.h"
#include "IsaCard.h"
#include "PortLocator.h"
#include "SerialChannel.h"
#include "TextCp1250.h"
#include "Uart16550.h"

#include "Module.h"

#include "core/Cp1250.h"

#include <gtest/gtest.h>

#include <deque>

using namespace driverlib;

namespace {

const busframe::Request Identify{1, busframe::CommandIdentify, 0, 0, {}};

class ScriptedChannel final : public BusChannel {
public:
    explicit ScriptedChannel(std::deque<Attempt> script) : script_(std::move(script)) {}
    int32_t SetSpeed(uint32_t) override { return Ok; }
    Attempt Exchange(const busframe::Request&, std::chrono::milliseconds) override
    {
        ++exchanges;
        Attempt next = script_.empty() ? Attempt{Outcome::NoReply} : script_.front();
        if (!script_.empty())
            script_.pop_front();
        return next;
    }
    int exchanges = 0;

private:
    std::deque<Attempt> script_;
};

Attempt Answered(uint8_t status = 0)
{
    busframe::Reply reply{1, busframe::CommandIdentify, 0, 0, {'K', 'Q', '-', '3'}, status};
    return Attempt{Outcome::Answered, reply};
}

Exchange Transact(std::deque<Attempt> script, int attempts = 2, int* exchanges = nullptr)
{
    ScriptedChannel channel(std::move(script));
    const Exchange result =
        RunTransaction(channel, Identify, std::chrono::milliseconds(10), attempts);
    if (exchanges)
        *exchanges = channel.exchanges;
    return result;
}

// A 16550 register file whose line leads to a simulated module.
class SimulatedUart final : public UartRegisters {
public:
    explicit SimulatedUart(sim::Module* module, bool lineEchoes = false)
        : module_(module), lineEchoes_(lineEchoes)
    {
    }

    uint8_t Read(uint8_t offset) override
    {
        const bool dlab = (lineControl & uart::LineControlDlab) != 0;
        switch (offset) {
        case uart::Data:
            return dlab ? divisorLow : Receive();
        case uart::InterruptEnable:
            return dlab ? divisorHigh : interruptEnable;
        case uart::LineControl:
            return lineControl;
        case uart::ModemControl:
            return modemControl;
        case uart::LineStatus:
            return uint8_t((received_.empty() ? 0 : uart::StatusDataReady)
                           | uart::StatusTransmitEmpty | uart::StatusTransmitterIdle);
        case uart::Scratch:
            return scratch;
        default:
            return 0xC1;
        }
    }

    void Write(uint8_t offset, uint8_t value) override
    {
        const bool dlab = (lineControl & uart::LineControlDlab) != 0;
        switch (offset) {
        case uart::Data:
            if (dlab)
                divisorLow = value;
            else
                Transmit(value);
            break;
        case uart::InterruptEnable:
            (dlab ? divisorHigh : interruptEnable) = value;
            break;
        case uart::FifoControl:
            if (value & 0x02)
                received_.clear();
            break;
        case uart::LineControl:
            lineControl = value;
            break;
        case uart::ModemControl:
            modemControl = value;
            break;
        case uart::Scratch:
            scratch = value;
            break;
        default:
            break;
        }
    }

    uint8_t divisorLow = 0, divisorHigh = 0, interruptEnable = 0, lineControl = 0;
    uint8_t modemControl = 0, scratch = 0;
    bool transmittedWithoutRts = false;

private:
    uint8_t Receive()
    {
        if (received_.empty())
            return 0;
        const uint8_t byte = received_.front();
        received_.pop_front();
        return byte;
    }

    void Transmit(uint8_t byte)
    {
        transmittedWithoutRts |= (modemControl & uart::ModemRts) == 0;
        if (lineEchoes_)
            received_.push_back(byte);
        sent_.push_back(byte);
        if (sent_.size() < busframe::RequestSize || !module_)
            return;
        const sim::Response response = module_->Receive(sent_);
        sent_.clear();
        received_.insert(received_.end(), response.bytes.begin(), response.bytes.end());
    }

    sim::Module* module_;
    bool lineEchoes_;
    std::vector<uint8_t> sent_;
    std::deque<uint8_t> received_;
};

// An ISA address where nothing answers: the bus floats high.
class EmptyIsaSlot final : public UartRegisters {
public:
    uint8_t Read(uint8_t) override { return 0xFF; }
    void Write(uint8_t, uint8_t) override {}
};

} // namespace

TEST(Transaction, RetriesOnceAfterTimeOutBadCheckOrEcho)
{
    int exchanges = 0;
    EXPECT_EQ(Transact({Attempt{Outcome::NoReply}, Answered()}, 2, &exchanges).code, Ok);
    EXPECT_EQ(exchanges, 2);
    EXPECT_EQ(Transact({Attempt{Outcome::Garbled}, Attempt{Outcome::Garbled}}, 2, &exchanges).code,
              ReplyGarbled);
    EXPECT_EQ(exchanges, 2);
    EXPECT_EQ(Transact({Attempt{Outcome::Garbled}, Attempt{Outcome::EchoOnly}}, 2).code, EchoOnly)
        << "the last attempt's outcome is reported";
    EXPECT_EQ(Transact({Attempt{Outcome::Garbled}, Attempt{Outcome::NoReply}}, 2).code, NoReply);
    EXPECT_EQ(Transact({Attempt{Outcome::NoReply}, Attempt{Outcome::Garbled}}, 2).code,
              ReplyGarbled);
    EXPECT_EQ(Transact({Attempt{Outcome::NoReply}}, 1, &exchanges).code, NoReply);
    EXPECT_EQ(exchanges, 1);
}

TEST(Transaction, DoesNotRetryAnAnswerAWrongAddressOrAFailedPort)
{
    int exchanges = 0;
    EXPECT_EQ(Transact({Answered(2)}, 2, &exchanges).code, ModuleBadRegister);
    EXPECT_EQ(exchanges, 1);
    EXPECT_EQ(Transact({Attempt{Outcome::OtherAddress}}, 2, &exchanges).code, ReplyFromOtherAddress);
    EXPECT_EQ(exchanges, 1);
    EXPECT_EQ(Transact({Attempt{Outcome::Failed, {}, PortReadFailed}}, 2, &exchanges).code,
              PortReadFailed);
    EXPECT_EQ(exchanges, 1);
}

TEST(Transaction, ReplyAddressMattersOnlyForANonZeroRequestAddress)
{
    busframe::Reply reply{9, 102, 0, 0, {}, 0};
    busframe::Request request{1, 102, 0, 0, {}};
    EXPECT_EQ(CheckedAnswer(request, reply).outcome, Outcome::OtherAddress);
    request.address = 0;
    EXPECT_EQ(CheckedAnswer(request, reply).outcome, Outcome::Answered);
}

TEST(IsaUart, IsFoundByItsScratchRegisterOnly)
{
    SimulatedUart uart(nullptr);
    uart.scratch = 0x17;
    EXPECT_TRUE(DetectUart(uart));
    EXPECT_EQ(uart.scratch, 0x17) << "the scratch register is given back";
    EmptyIsaSlot empty;
    EXPECT_FALSE(DetectUart(empty));
}

TEST(IsaUart, SetsDivisorAndLineFormatAndRefusesSpeedsTheCrystalCannotMake)
{
    auto registers = std::make_unique<SimulatedUart>(nullptr);
    SimulatedUart* uart = registers.get();
    UartLink link(std::move(registers));
    EXPECT_EQ(link.SetSpeed(9600), Ok);
    EXPECT_EQ(uart->divisorLow, 12);
    EXPECT_EQ(uart->divisorHigh, 0);
    EXPECT_EQ(uart->lineControl, uart::LineControl8N1);
    EXPECT_EQ(link.SetSpeed(600), Ok);
    EXPECT_EQ(uart->divisorLow, 192);
    EXPECT_EQ(link.SetSpeed(12345), PortSpeedUnsupported);
    EXPECT_EQ(link.SetSpeed(230400), PortSpeedUnsupported);
}

TEST(IsaUart, CarriesTransactionsWithTheTransmitterOnlyWhileSending)
{
    for (const bool lineEchoes : {false, true}) {
        sim::Module module("KQ-3210", 1);
        auto registers = std::make_unique<SimulatedUart>(&module, lineEchoes);
        SimulatedUart* uart = registers.get();
        SerialChannel channel(std::make_unique<UartLink>(std::move(registers)));
        ASSERT_EQ(channel.SetSpeed(115200), Ok);
        const Exchange result =
            RunTransaction(channel, Identify, std::chrono::milliseconds(200), 2);
        EXPECT_EQ(result.code, Ok) << lineEchoes;
        EXPECT_EQ(std::string(result.reply.data.begin(), result.reply.data.end()), "KQ-3");
        EXPECT_EQ(result.attempts, 1);
        EXPECT_FALSE(uart->transmittedWithoutRts);
        EXPECT_EQ(uart->modemControl & uart::ModemRts, 0) << "the bus is released";
    }
}

TEST(IsaUart, ADeadLineTimesOut)
{
    SerialChannel channel(std::make_unique<UartLink>(std::make_unique<SimulatedUart>(nullptr)));
    EXPECT_EQ(RunTransaction(channel, Identify, std::chrono::milliseconds(5), 2).code, NoReply);
}

TEST(IsaCard, AsksForPortAccessOnlyAtAValidBaseAndNeedsAUartThere)
{
    std::unique_ptr<BusChannel> channel;
    int asked = 0;
    uint16_t askedBase = 0;
    const auto refused = [&](uint16_t base, std::unique_ptr<UartRegisters>&) {
        ++asked;
        askedBase = base;
        return int32_t(IsaNoPermission);
    };
    EXPECT_EQ(OpenIsaCard(0x2E9, refused, channel), IsaInvalidBase);
    EXPECT_EQ(OpenIsaCard(0x400, refused, channel), IsaInvalidBase);
    EXPECT_EQ(asked, 0) << "no port access sought for a bad base";
    EXPECT_EQ(OpenIsaCard(0x2E8, refused, channel), IsaNoPermission);
    EXPECT_EQ(askedBase, 0x2E8);
    EXPECT_EQ(channel, nullptr);

    const auto noPortIo = [](uint16_t, std::unique_ptr<UartRegisters>&) {
        return int32_t(NotSupportedOnPlatform);
    };
    EXPECT_EQ(OpenIsaCard(0x2E8, noPortIo, channel), NotSupportedOnPlatform);
    const auto emptySlot = [](uint16_t, std::unique_ptr<UartRegisters>& registers) {
        registers = std::make_unique<EmptyIsaSlot>();
        return int32_t(Ok);
    };
    EXPECT_EQ(OpenIsaCard(0x2E8, emptySlot, channel), IsaCardNotFound);
    EXPECT_EQ(channel, nullptr);

    sim::Module module("KQ-3210", 1);
    const auto card = [&module](uint16_t, std::unique_ptr<UartRegisters>& registers) {
        registers = std::make_unique<SimulatedUart>(&module);
        return int32_t(Ok);
    };
    ASSERT_EQ(OpenIsaCard(0x300, card, channel), Ok);
    ASSERT_NE(channel, nullptr);
    const Exchange result = RunTransaction(*channel, Identify, std::chrono::milliseconds(200), 2);
    EXPECT_EQ(result.code, Ok);
    EXPECT_EQ(std::string(result.reply.data.begin(), result.reply.data.end()), "KQ-3");
}

TEST(Session, RefusesSettingsOutsideTheirRangesAndKeepsTheOldOnes)
{
    DriverSession session(std::make_unique<ScriptedChannel>(std::deque<Attempt>{}));
    EXPECT_EQ(session.Configure(19200, 500, 1), Ok);
    EXPECT_EQ(session.Configure(49, 500, 2), InvalidSpeed);
    EXPECT_EQ(session.Configure(19200, 60001, 2), InvalidTimeout);
    EXPECT_EQ(session.Configure(19200, 500, 0), InvalidOption);
    int32_t baud = 0, timeout = 0, option = 0;
    EXPECT_EQ(session.Settings(baud, timeout, option), Ok);
    EXPECT_EQ(baud, 19200);
    EXPECT_EQ(timeout, 500);
    EXPECT_EQ(option, 1);

}

TEST(Session, SendsNothingUntilConfigured)
{
    auto channel = std::make_unique<ScriptedChannel>(std::deque<Attempt>{Answered()});
    const ScriptedChannel* script = channel.get();
    DriverSession session(std::move(channel));
    const int32_t request[8] = {1, 200, 0, 0, 0, 0, 0, 0};
    int32_t response[4] = {-1, -1, -1, -1};
    int32_t extra = -1, status = -1;
    int32_t baud = -1, timeout = -1, option = -1;
    EXPECT_EQ(session.Send(request, response, &extra, &status), ConnectionNotConfigured);
    EXPECT_EQ(status, ConnectionNotConfigured);
    EXPECT_EQ(response[0], 0);
    EXPECT_EQ(session.Settings(baud, timeout, option), ConnectionNotConfigured);
    EXPECT_EQ(baud, -1);

    EXPECT_EQ(session.Configure(9600, 60001, 2), InvalidTimeout);
    EXPECT_EQ(session.Send(request, response, &extra, &status), ConnectionNotConfigured)
        << "a refused configuration configures nothing";
    EXPECT_EQ(script->exchanges, 0);

    ASSERT_EQ(session.Configure(9600, 200, 2), Ok);
    EXPECT_EQ(session.Send(request, response, &extra, &status), Ok);
    EXPECT_EQ(script->exchanges, 1);
}

TEST(Session, FillsTheResponseOnlyOnSuccess)
{
    DriverSession session(std::make_unique<ScriptedChannel>(
        std::deque<Attempt>{Answered(), Attempt{Outcome::OtherAddress}, Attempt{Outcome::OtherAddress}}));
    ASSERT_EQ(session.Configure(9600, 200, 2), Ok);
    const int32_t request[8] = {1, 200, 0, 0, 0, 0, 0, 0};
    int32_t response[4] = {-1, -1, -1, -1};
    int32_t extra = -1, status = -1;
    EXPECT_EQ(session.Send(request, response, &extra, &status), Ok);
    EXPECT_EQ(status, Ok);
    EXPECT_EQ(response[0], 'K');
    EXPECT_EQ(response[3], '3');
    EXPECT_EQ(session.Send(request, response, &extra, &status), ReplyFromOtherAddress);
    EXPECT_EQ(status, ReplyFromOtherAddress);
    EXPECT_EQ(response[0], 0);
    EXPECT_EQ(session.Send(nullptr, response, &extra, &status), InvalidParameter);
}

TEST(Handles, AreNonZeroUniqueAndNeverReused)
{
    HandleTable table;
    const auto session = [] {
        return std::make_unique<DriverSession>(std::make_unique<ScriptedChannel>(std::deque<Attempt>{}));
    };
    const uint32_t first = table.Add(session());
    const uint32_t second = table.Add(session());
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_TRUE(table.Remove(first));
    EXPECT_FALSE(table.Find(first));
    EXPECT_FALSE(table.Remove(first));
    EXPECT_NE(table.Add(session()), first);
    while (table.OpenCount() < HandleTable::MaximumOpen)
        ASSERT_NE(table.Add(session()), 0u);
    EXPECT_EQ(table.Add(session()), 0u);
    EXPECT_TRUE(table.Find(second));
}

TEST(Devices, UsbConverterIsChosenByProductStringAndLowestSerialNumber)
{
    const std::vector<UsbSerialPort> ports = {
        {"/dev/ttyUSB0", 0x0403, 0x6001, "FT232R USB UART", "A100"},
        {"/dev/ttyUSB1", 0x0403, 0x6001, "RVC-772", "R200"},
        {"/dev/ttyUSB2", 0x0403, 0x6001, "RVC-772", "R100"},
        {"/dev/ttyUSB3", 0x067B, 0x2303, "RVC-772 RS-485", "R300"},
    };
    const auto chosen = [](const std::vector<UsbSerialPort>& attached) {
        const UsbConverterChoice choice = ChooseUsbConverter(attached);
        return choice.code == Ok ? choice.path : "code " + std::to_string(choice.code);
    };
    EXPECT_EQ(chosen(ports), "/dev/ttyUSB2") << "the named ports only, lowest serial number";
    EXPECT_EQ(chosen({ports[3], ports[1]}), "/dev/ttyUSB1");
    EXPECT_EQ(chosen({ports[0], ports[3]}), "/dev/ttyUSB3") << "named, whatever its ids";
    EXPECT_EQ(chosen({}), "code 21");
}

TEST(Devices, AnUnnamedPortWithTheConvertersIdsIsTakenOnlyWhenAlone)
{
    const UsbSerialPort factoryString{"/dev/ttyUSB0", 0x0403, 0x6001, "FT232R USB UART", "A1"};
    const UsbSerialPort noString{"/dev/ttyUSB1", 0x0403, 0x6001, "", ""};
    const UsbSerialPort otherProduct{"/dev/ttyUSB2", 0x0403, 0x6001, "USB-RS485 Cable", "B1"};
    const UsbSerialPort otherIds{"/dev/ttyUSB3", 0x067B, 0x2303, "", ""};
    const UsbSerialPort named{"/dev/ttyUSB4", 0x0403, 0x6001, "RVC-772", "R1"};

    EXPECT_EQ(ChooseUsbConverter({factoryString}).path, "/dev/ttyUSB0");
    EXPECT_EQ(ChooseUsbConverter({noString, otherProduct, otherIds}).path, "/dev/ttyUSB1")
        << "other products and other ids are no converter";
    EXPECT_EQ(ChooseUsbConverter({factoryString, named, noString}).path, "/dev/ttyUSB4")
        << "a named port wins over unnamed ones";

    const UsbConverterChoice ambiguous = ChooseUsbConverter({factoryString, noString});
    EXPECT_EQ(ambiguous.code, UsbConverterAmbiguous);
    EXPECT_EQ(ambiguous.path, "");
    EXPECT_EQ(ChooseUsbConverter({otherProduct, otherIds}).code, UsbConverterNotFound);
    EXPECT_STRNE(CodeTextUtf8(UsbConverterAmbiguous), "");
}

TEST(Devices, TtyNamesOrderByStemThenNumber)
{
    EXPECT_TRUE(TtyNameLess("ttyS9", "ttyS10"));
    EXPECT_FALSE(TtyNameLess("ttyS10", "ttyS9"));
    EXPECT_TRUE(TtyNameLess("ttyS2", "ttyS010")) << "leading zeros do not make it larger";
    EXPECT_TRUE(TtyNameLess("ttyS", "ttyS0"));
    EXPECT_TRUE(TtyNameLess("ttyS99", "ttyUSB0")) << "the stem comes first";
    EXPECT_FALSE(TtyNameLess("ttyS4", "ttyS4"));
    EXPECT_TRUE(TtyNameLess("COM9", "COM10")) << "Windows' ports by number too";
}

TEST(Codes, TextsAreTheProgramsWindows1250AndFitTheBuffer)
{
    for (int32_t code = 0; code < 100; ++code) {
        const std::string encoded = CodeTextCp1250(code);
        EXPECT_LE(encoded.size(), 99u) << code;
        const QString source = QString::fromUtf8(CodeTextUtf8(code));
        if (!source.isEmpty()) {
            EXPECT_EQ(QByteArray::fromStdString(encoded), EncodeCp1250(source)) << code;
        }
    }
    EXPECT_EQ(DecodeCp1250(QByteArray::fromStdString(CodeTextCp1250(0))),
              QStringLiteral("V pořádku"));
    for (const int32_t code : {9, 10, 11, 12, 13, 30, 31, 32, 33, 41, 45, 50, 56})
        EXPECT_STRNE(CodeTextUtf8(code), "") << code;
}

// Each platform's libraries give their own texts; both must fit, and Windows' must not send the
// user to what only Linux has.
TEST(Codes, EveryPlatformsTextsFitAndWindowsGivesNoLinuxAdvice)
{
    for (int32_t code = 0; code < 100; ++code) {
        for (const TextPlatform platform : {TextPlatform::Linux, TextPlatform::Windows}) {
            const QString text = QString::fromUtf8(CodeTextUtf8(code, platform));
            EXPECT_LE(EncodeCp1250(text).size(), 99) << code;
            EXPECT_EQ(QByteArray::fromStdString(Utf8ToCp1250(CodeTextUtf8(code, platform))),
                      EncodeCp1250(text))
                << code;
        }
        const QString windows = QString::fromUtf8(CodeTextUtf8(code, TextPlatform::Windows));
        for (const char* linuxOnly : {"ports/", "dialout", "root", "CAP_SYS_RAWIO"})
            EXPECT_FALSE(windows.contains(QLatin1String(linuxOnly))) << code << ' ' << linuxOnly;
    }
    EXPECT_STREQ(CodeTextUtf8(PortNotFound, TextPlatform::Linux),
                 "Port neexistuje - zkontrolujte číslo portu nebo odkaz v ports/")
        << "Linux keeps its texts";
}

TEST(Codes, ModuleStatusesMapToTheirOwnCodes)
{
    EXPECT_EQ(CodeOfModuleStatus(1), ModuleUnknownCommand);
    EXPECT_EQ(CodeOfModuleStatus(4), ModuleBusy);
    EXPECT_EQ(CodeOfModuleStatus(200), ModuleError);
}
