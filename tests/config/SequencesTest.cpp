#include "RecordingReporter.h"

#include "FakeModule.h"
#include "tests/drivers/TestDrivers.h"

#include "config/Sequences.h"
#include "config/StatusTexts.h"
#include "core/Cp1250.h"
#include "drivers/DriverBinding.h"

#include <gtest/gtest.h>

using testdriver::CallsTo;
using testdriver::FakeModule;
using Request = std::array<int32_t, 8>;

namespace {

const QString ErrorThree = QStringLiteral(" chyba ovladače 3");

// The percentages shown after each read and each write, as the module's documentation lists them.
const std::vector<int> ReadPercents = {
    1,  3,  5,  7,  9,  10, 12, 14, 16, 18, 20, 21, 23, 25, 27, 29, 30, 32, 34,
    36, 38, 40, 41, 43, 45, 47, 49, 50, 52, 54, 56, 58, 60, 61, 63, 65, 67, 69,
    70, 72, 74, 76, 78, 80, 81, 83, 85, 87, 89, 90, 92, 94, 96, 98, 100};
const std::vector<int> WritePercents = {
    1,  3,  5,  6,  8,  10, 11, 13, 15, 16, 18, 20, 22, 23, 25, 27, 28, 30, 32, 33,
    35, 37, 38, 40, 42, 44, 45, 47, 49, 50, 52, 54, 55, 57, 59, 61, 62, 64, 66, 67,
    69, 71, 72, 74, 76, 77, 79, 81, 83, 84, 86, 88, 89, 91, 93, 94, 96, 98, 100};

std::vector<uint8_t> ReadRegisters()
{
    std::vector<uint8_t> regs = {59, 4, 5, 6, 7, 8, 9, 10};
    for (uint8_t i = 0; i < 45; ++i)
        regs.push_back(uint8_t(13 + i));
    regs.push_back(11);
    regs.push_back(12);
    return regs;
}

std::vector<Request> SentRequests()
{
    std::vector<Request> requests;
    for (const auto& call : CallsTo("Send"))
        requests.push_back(call.request);
    return requests;
}

TZEMO SampleConfig()
{
    TZEMO config = DefaultModelConfig();
    config.TxMode = 2;
    config.RxMode = 1;
    config.CustomBaud = 0x0107A1;
    config.Note = QStringLiteral("ABC") + QString(50, QLatin1Char(' '));
    return config;
}

class Sequences : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestDrivers("full");
        InitData(data);
        ASSERT_EQ(LoadDriver(InterfaceUsb, &data.DriverHandle, {}), 0);
        data.InterfaceType = InterfaceUsb;
        data.Connected = 1;
        data.ModuleAddress = 7;
        module.address = 7;
        module.Install();
        testdriver::Calls().clear();
    }
    void TearDown() override
    {
        CloseDriver(data.InterfaceType, &data.DriverHandle);
        SetProgramDirectory({});
    }

    void FillModule()
    {
        module.registers[59] = 0x0D;
        module.registers[4] = 8;
        module.registers[5] = 2;
        module.registers[6] = 0;
        module.registers[7] = 1;
        module.registers[8] = 0x20;
        module.registers[9] = 0xA1;
        module.registers[10] = 0x07;
        module.registers[11] = 0xC8;
        module.registers[12] = 0x01;
        const QByteArray note = EncodeCp1250(QStringLiteral("Ústředna č. 5"));
        for (int i = 0; i < 45; ++i)
            module.registers[size_t(13 + i)] = i < note.size() ? uint8_t(note[i]) : ' ';
    }

    TData data;
    FakeModule module;
    RecordingReporter reporter;
};

TEST_F(Sequences, ReadSendsTheFiftyFiveRequestsInOrderAndDecodesThem)
{
    FillModule();
    TZEMO record = DefaultModelConfig();
    const SequenceResult result = PrectiData(&data, record, reporter);
    EXPECT_EQ(result.outcome, SequenceOutcome::Completed);

    std::vector<Request> expected;
    for (uint8_t reg : ReadRegisters())
        expected.push_back({7, 102, 0, 0, reg, reg, 0, 0});
    EXPECT_EQ(SentRequests(), expected);

    EXPECT_EQ(record.TxMode, 1); // 0x0D: bit 3 is not decoded
    EXPECT_EQ(record.RxMode, 1);
    EXPECT_EQ(record.BaudIndex, 8);
    EXPECT_EQ(record.DataBitsIndex, 2);
    EXPECT_EQ(record.ParityIndex, 0);
    EXPECT_EQ(record.StopBitsIndex, 1);
    EXPECT_EQ(record.CustomBaud, 500000u);
    EXPECT_EQ(record.OverhangUs, 0x1C8u);
    EXPECT_EQ(record.Note, QStringLiteral("Ústředna č. 5").leftJustified(45, QLatin1Char(' ')));
}

TEST_F(Sequences, ReadShowsEveryPercentageThenTheFinalText)
{
    TZEMO record = DefaultModelConfig();
    PrectiData(&data, record, reporter);

    QStringList expected = {ReadProgressText(0)};
    for (int percent : ReadPercents)
        expected.append(QStringLiteral(" Probíhá čtení konfigurace z modulu (%1 %)").arg(percent));
    expected.append(QStringLiteral(" Konfigurace přečtena."));
    EXPECT_EQ(reporter.Texts(), expected);

    // Each text is repainted at once.
    for (size_t i = 0; i < reporter.events.size(); ++i) {
        if (reporter.events[i].kind == ReporterEvent::Text) {
            ASSERT_LT(i + 1, reporter.events.size());
            EXPECT_EQ(reporter.events[i + 1].kind, ReporterEvent::Repaint);
        }
    }
}

TEST_F(Sequences, ReadPausesBeforeReadsTwoToNineAndTheLastTwo)
{
    TZEMO record = DefaultModelConfig();
    PrectiData(&data, record, reporter);
    EXPECT_EQ(reporter.PauseOffsets(), (std::vector<size_t>{1, 2, 3, 4, 5, 6, 7, 8, 53, 54}));
    for (size_t i = 0; i < reporter.events.size(); ++i) {
        if (reporter.events[i].kind == ReporterEvent::Pause) {
            EXPECT_EQ(reporter.events[i - 1].kind, ReporterEvent::Events);
        }
    }
}

TEST_F(Sequences, ReadOfZeroNoteRegistersGivesFortyFiveNulCharacters)
{
    TZEMO record = DefaultModelConfig();
    PrectiData(&data, record, reporter);
    EXPECT_EQ(record.Note, QString(45, QChar(0)));
    EXPECT_EQ(record.CustomBaud, 0u);
}

TEST_F(Sequences, NothingHappensWithoutAReadyConnection)
{
    const TZEMO before = SampleConfig();
    for (int variant = 0; variant < 3; ++variant) {
        TData copy = data;
        if (variant == 1)
            copy.Connected = 0;
        if (variant == 2)
            copy.DriverHandle = 0;
        TData* target = variant == 0 ? nullptr : &copy;
        TZEMO record = before;
        EXPECT_EQ(PrectiData(target, record, reporter).outcome, SequenceOutcome::NotConnected);
        EXPECT_EQ(ZapisData(target, record, reporter).outcome, SequenceOutcome::NotConnected);
        EXPECT_EQ(record, before);
    }
    EXPECT_TRUE(CallsTo("Send").empty());
    EXPECT_TRUE(reporter.events.empty());
}

TEST_F(Sequences, AFailedReadStopsAndLeavesThePartialRecord)
{
    FillModule();
    module.failStatus = 3;
    const TZEMO before = SampleConfig();
    struct Case {
        int failingRead;
        std::function<void(const TZEMO&)> check;
    };
    const std::vector<Case> cases = {
        {1, [&](const TZEMO& r) { EXPECT_EQ(r, before); }},
        {7,
         [&](const TZEMO& r) {
             EXPECT_EQ(r.StopBitsIndex, 1);
             EXPECT_EQ(r.CustomBaud, 0x20u); // low byte only
             EXPECT_EQ(r.Note, before.Note);
         }},
        {8, [&](const TZEMO& r) { EXPECT_EQ(r.CustomBaud, 0xA120u); }},
        // The note is emptied before its first character is asked for.
        {9, [&](const TZEMO& r) { EXPECT_EQ(r.Note, QString()); }},
        {10, [&](const TZEMO& r) { EXPECT_EQ(r.Note, QStringLiteral("Ú")); }},
        {12,
         [&](const TZEMO& r) {
             EXPECT_EQ(r.CustomBaud, 500000u);
             EXPECT_EQ(r.Note, QStringLiteral("Úst")); // three characters read
             EXPECT_EQ(r.OverhangUs, before.OverhangUs);
         }},
        {55,
         [&](const TZEMO& r) {
             EXPECT_EQ(r.Note.size(), 45);
             EXPECT_EQ(r.OverhangUs, 0xC8u); // low byte only
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failingRead);
        testdriver::Calls().clear();
        reporter.events.clear();
        module.Install();
        module.failAtTransaction = c.failingRead;
        TZEMO record = before;
        const SequenceResult result = PrectiData(&data, record, reporter);
        EXPECT_EQ(result.outcome, SequenceOutcome::TransactionFailed);
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(CallsTo("Send").size(), size_t(c.failingRead));
        EXPECT_EQ(reporter.Texts().last(), ErrorThree);
        EXPECT_EQ(reporter.Texts().size(), c.failingRead + 1);
        c.check(record);
    }
}

TEST_F(Sequences, WriteSendsFiftyNineWritesEachWithItsReadBackAtAddressZero)
{
    const TZEMO config = SampleConfig();
    const SequenceResult result = ZapisData(&data, config, reporter);
    EXPECT_EQ(result.outcome, SequenceOutcome::Completed);
    EXPECT_EQ(reporter.Texts().last(), QStringLiteral(" Konfigurace zapsána."));

    std::vector<std::pair<uint8_t, uint8_t>> writes = {
        {59, 6}, {4, 4}, {5, 3}, {6, 1}, {7, 0}, {8, 0xA1}, {9, 0x07}, {10, 0x01}};
    for (uint8_t i = 0; i < 45; ++i)
        writes.push_back({uint8_t(13 + i), uint8_t(i < 3 ? 'A' + i : ' ')});
    for (auto write : std::vector<std::pair<uint8_t, uint8_t>>{
             {11, 0xC8}, {12, 0}, {0, 0x46}, {1, 0x04}, {2, 0xFC}, {3, 0}})
        writes.push_back(write);

    std::vector<Request> expected;
    for (auto [reg, value] : writes) {
        expected.push_back({0, 103, 0, 0, reg, reg, value, value});
        expected.push_back({0, 102, 0, 0, reg, reg, 0, 0});
    }
    EXPECT_EQ(SentRequests(), expected);
    EXPECT_EQ(module.registers[58], 0); // never written
}

TEST_F(Sequences, WriteShowsEveryPercentageAndPausesBeforeAllButTheFirstWrite)
{
    ZapisData(&data, SampleConfig(), reporter);
    QStringList expected = {QStringLiteral(" Probíhá zápis konfigurace do modulu (0 %)")};
    for (int percent : WritePercents)
        expected.append(WriteProgressText(percent));
    expected.append(WriteDoneText);
    EXPECT_EQ(reporter.Texts(), expected);

    std::vector<size_t> pauses;
    for (size_t write = 1; write < 59; ++write)
        pauses.push_back(2 * write);
    EXPECT_EQ(reporter.PauseOffsets(), pauses);
}

TEST_F(Sequences, ReadingBackWhatWasWrittenGivesTheSameRecord)
{
    TZEMO config = SampleConfig();
    config.BaudIndex = 9;
    config.OverhangUs = 32000;
    config.Note = QStringLiteral("Poznámka ěščřžýáíé ĚŠČŘŽÝÁÍÉ ůú").leftJustified(45, ' ');
    ASSERT_EQ(ZapisData(&data, config, reporter).outcome, SequenceOutcome::Completed);
    TZEMO read = DefaultModelConfig();
    ASSERT_EQ(PrectiData(&data, read, reporter).outcome, SequenceOutcome::Completed);
    EXPECT_EQ(read, config);
}

TEST_F(Sequences, WriteSendsFortyFiveNoteCharactersWhateverTheNoteLength)
{
    TZEMO config = SampleConfig();
    config.Note = QStringLiteral("ab");
    ZapisData(&data, config, reporter);
    EXPECT_EQ(module.registers[13], 'a');
    EXPECT_EQ(module.registers[14], 'b');
    for (size_t reg = 15; reg <= 57; ++reg)
        EXPECT_EQ(module.registers[reg], ' ') << reg;

    config.Note = QString(44, QLatin1Char('x')) + QStringLiteral("yz€");
    ZapisData(&data, config, reporter);
    EXPECT_EQ(module.registers[56], 'x');
    EXPECT_EQ(module.registers[57], 'y');
    EXPECT_EQ(module.registers[58], 0);

    config.Note = QStringLiteral("€ ☃");
    ZapisData(&data, config, reporter);
    EXPECT_EQ(module.registers[13], 0x80); // the euro sign in Windows-1250
    EXPECT_EQ(module.registers[15], '?');  // no code for it
}

TEST_F(Sequences, WriteRefusesOutOfRangeTimingWithoutTraffic)
{
    struct Case {
        uint8_t baudIndex;
        uint32_t customBaud;
        uint32_t overhang;
        QString text;
        SequenceOutcome outcome;
    };
    const std::vector<Case> cases = {
        {9, 350, 0, CharacterTimeRefusedText, SequenceOutcome::CharacterTimeRefused},
        {9, 0, 0, CharacterTimeRefusedText, SequenceOutcome::CharacterTimeRefused},
        {0, 9600, 31934, HoldTimeRefusedText, SequenceOutcome::HoldTimeRefused},
        {0, 9600, 65000, HoldTimeRefusedText, SequenceOutcome::HoldTimeRefused},
        // Both out of range: the character time is tested first.
        {9, 300, 65000, CharacterTimeRefusedText, SequenceOutcome::CharacterTimeRefused},
    };
    for (const Case& c : cases) {
        reporter.events.clear();
        TZEMO config = SampleConfig();
        config.DataBitsIndex = 3;
        config.ParityIndex = 1;
        config.StopBitsIndex = 1;
        config.BaudIndex = c.baudIndex;
        config.CustomBaud = c.customBaud;
        config.OverhangUs = c.overhang;
        EXPECT_EQ(ZapisData(&data, config, reporter).outcome, c.outcome);
        EXPECT_EQ(reporter.Texts(), QStringList{c.text});
        // The same refusal is known without a connection.
        const std::optional<WriteRefusal> refusal = RefuseWrite(config);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->outcome, c.outcome);
        EXPECT_EQ(refusal->statusText, c.text);
    }
    EXPECT_EQ(CharacterTimeRefusedText, QStringLiteral(" Chyba ZEMO - čas nelze nastavit"));
    EXPECT_EQ(HoldTimeRefusedText, QStringLiteral(" Chyba ZEMO - přesah nelze nastavit"));
    EXPECT_TRUE(CallsTo("Send").empty());
}

TEST_F(Sequences, WriteRefusesAListIndexTheModuleCannotHold)
{
    const QString refusal =
        QStringLiteral(" Nastavení obsahuje neplatnou volbu - zápis nelze provést.");
    const std::vector<std::function<void(TZEMO&)>> invalid = {
        [](TZEMO& c) { c.TxMode = 4; },       [](TZEMO& c) { c.TxMode = 255; },
        [](TZEMO& c) { c.RxMode = 3; },       [](TZEMO& c) { c.RxMode = 255; },
        [](TZEMO& c) { c.BaudIndex = 10; },   [](TZEMO& c) { c.DataBitsIndex = 4; },
        [](TZEMO& c) { c.ParityIndex = 2; },  [](TZEMO& c) { c.StopBitsIndex = 2; },
    };
    for (const auto& change : invalid) {
        reporter.events.clear();
        TZEMO config = SampleConfig();
        change(config);
        EXPECT_EQ(ZapisData(&data, config, reporter).outcome, SequenceOutcome::InvalidChoice);
        EXPECT_EQ(reporter.Texts(), QStringList{refusal});
        EXPECT_EQ(RefuseWrite(config)->statusText, refusal);
    }
    EXPECT_TRUE(CallsTo("Send").empty());

    // The highest valid index of every field still writes, RxMode 2 into bit 3.
    TZEMO highest = SampleConfig();
    highest.TxMode = 3;
    highest.RxMode = 2;
    highest.BaudIndex = 9;
    highest.DataBitsIndex = 3;
    highest.ParityIndex = 1;
    highest.StopBitsIndex = 1;
    EXPECT_FALSE(RefuseWrite(highest).has_value());
    EXPECT_EQ(ZapisData(&data, highest, reporter).outcome, SequenceOutcome::Completed);
    EXPECT_EQ(module.registers[59], 11);
}

TEST_F(Sequences, AFailedWriteOrReadBackStopsTheSequence)
{
    module.failStatus = 3;
    for (int failing : {1, 2, 13, 118}) {
        SCOPED_TRACE(failing);
        testdriver::Calls().clear();
        reporter.events.clear();
        module.Install();
        module.failAtTransaction = failing;
        const SequenceResult result = ZapisData(&data, SampleConfig(), reporter);
        EXPECT_EQ(result.outcome, SequenceOutcome::TransactionFailed);
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(CallsTo("Send").size(), size_t(failing));
        EXPECT_EQ(reporter.Texts().last(), ErrorThree);
    }
}

TEST_F(Sequences, AReadBackMismatchStopsWithTheWriteErrorText)
{
    module.registers.fill(0xEE);
    module.wrongReadBackRegister = 6;
    module.wrongReadBackValue = 0;
    const SequenceResult result = ZapisData(&data, SampleConfig(), reporter);
    EXPECT_EQ(result.outcome, SequenceOutcome::ReadBackMismatch);
    EXPECT_EQ(result.completedSteps, 3);
    EXPECT_EQ(reporter.Texts().last(), QStringLiteral(" Chyba zápisu dat."));
    EXPECT_EQ(module.registers[59], 6);
    EXPECT_EQ(module.registers[4], 4);
    EXPECT_EQ(module.registers[5], 3);
    for (int reg : {7, 8, 9, 10, 11, 12, 13, 57, 0, 1, 2, 3})
        EXPECT_EQ(module.registers[size_t(reg)], 0xEE) << reg;
}

TEST(SequenceTables, ReadPausesAndOrderAgreeWithTheRegisterMap)
{
    const auto& order = ReadOrder();
    EXPECT_EQ(std::vector<uint8_t>(order.begin(), order.end()), ReadRegisters());
    std::vector<int> pausing;
    for (int n = 0; n < ReadStepCount; ++n) {
        if (PausesBeforeRead(n))
            pausing.push_back(n + 1);
    }
    EXPECT_EQ(pausing, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 54, 55}));
}

} // namespace

TEST(ProgressTexts, GiveBackThePercentageTheyShow)
{
    for (int percent : {0, 1, 54, 100}) {
        EXPECT_EQ(ProgressPercent(ReadProgressText(percent)), percent);
        EXPECT_EQ(ProgressPercent(WriteProgressText(percent)), percent);
    }
    for (const QString& other :
         {ReadDoneText, WriteDoneText, ErrorThree, QString(),
          QStringLiteral(" Probíhá čtení konfigurace z modulu (x %)"),
          QStringLiteral(" Probíhá zápis konfigurace do modulu (101 %)"),
          QStringLiteral(" Něco jiného (5 %)")})
        EXPECT_FALSE(ProgressPercent(other).has_value()) << other.toStdString();
}
