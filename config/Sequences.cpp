#include "Sequences.h"

#include "RegisterMap.h"
#include "StatusTexts.h"
#include "Timing.h"

#include "core/Cp1250.h"
#include "drivers/Transaction.h"

namespace {

void Show(SequenceReporter& reporter, const QString& text)
{
    reporter.SetStatusText(text);
    reporter.RepaintStatus();
}

void YieldAndPause(SequenceReporter& reporter)
{
    reporter.ProcessPendingEvents();
    reporter.PauseOneMillisecond();
}

constexpr std::array<uint8_t, ReadStepCount> MakeReadOrder()
{
    std::array<uint8_t, ReadStepCount> order{};
    size_t n = 0;
    for (uint8_t reg : {RegMode, RegBaudIndex, RegDataBits, RegParity, RegStopBits})
        order[n++] = reg;
    for (uint8_t i = 0; i < 3; ++i)
        order[n++] = uint8_t(RegCustomBaud + i);
    for (uint8_t i = 0; i < NoteLength; ++i)
        order[n++] = uint8_t(RegNote + i);
    order[n++] = RegOverhang;
    order[n++] = RegOverhang + 1;
    return order;
}

constexpr std::array<uint8_t, ReadStepCount> TheReadOrder = MakeReadOrder();

bool IsNoteRegister(uint8_t reg)
{
    return reg >= RegNote && reg < RegNote + NoteLength;
}

uint8_t Byte(uint32_t value, int shift)
{
    return uint8_t((value >> shift) & 0xFF);
}

uint8_t NoteCode(const QString& note, int i)
{
    if (i >= note.size())
        return ' ';
    uint8_t code = 0;
    CharToCp1250(note[i], code);
    return code;
}

} // namespace

const std::array<uint8_t, ReadStepCount>& ReadOrder()
{
    return TheReadOrder;
}

bool PausesBeforeRead(int position)
{
    if (position == 0)
        return false;
    const uint8_t reg = TheReadOrder[size_t(position)];
    return !IsNoteRegister(reg) || reg == RegNote;
}

void DecodeRegister(uint8_t reg, uint8_t value, TZEMO& record)
{
    switch (reg) {
    case RegMode:
        record.TxMode = value & 3;
        record.RxMode = uint8_t((value & 4) >> 2);
        return;
    case RegBaudIndex:
        record.BaudIndex = value;
        return;
    case RegDataBits:
        record.DataBitsIndex = value;
        return;
    case RegParity:
        record.ParityIndex = value;
        return;
    case RegStopBits:
        record.StopBitsIndex = value;
        return;
    case RegCustomBaud:
        record.CustomBaud = value;
        return;
    case RegCustomBaud + 1:
        record.CustomBaud += uint32_t(value) << 8;
        return;
    case RegCustomBaud + 2:
        record.CustomBaud += uint32_t(value) << 16;
        return;
    case RegOverhang:
        record.OverhangUs = value;
        return;
    case RegOverhang + 1:
        record.OverhangUs += uint32_t(value) << 8;
        return;
    default:
        break;
    }
    if (IsNoteRegister(reg))
        record.Note.append(Cp1250ToChar(value));
}

SequenceResult PrectiData(const TData* data, TZEMO& record, SequenceReporter& reporter)
{
    if (data == nullptr || !ConnectionReady(*data))
        return {};

    Show(reporter, ReadProgressText(0));
    const uint8_t address = data->ModuleAddress;
    const uint32_t handle = data->DriverHandle;
    for (int n = 0; n < ReadStepCount; ++n) {
        if (PausesBeforeRead(n))
            YieldAndPause(reporter);
        const uint8_t reg = TheReadOrder[size_t(n)];
        // The note is read afresh: a failed read leaves only the characters read before it.
        if (reg == RegNote)
            record.Note.clear();
        uint8_t status = 0;
        const uint8_t value = ReadRegister(data->InterfaceType, handle, address, reg, status);
        if (status != 0) {
            Show(reporter, TransactionErrorText(data->InterfaceType, status));
            return {SequenceOutcome::TransactionFailed, status, n};
        }
        DecodeRegister(reg, value, record);
        Show(reporter, ReadProgressText((n + 1) * 100 / ReadStepCount));
    }
    Show(reporter, ReadDoneText);
    return {SequenceOutcome::Completed, 0, ReadStepCount};
}

bool HasInvalidChoice(const TZEMO& config)
{
    return config.TxMode > MaxTxMode || config.RxMode > MaxRxMode
        || config.BaudIndex > MaxBaudIndex || config.DataBitsIndex > MaxDataBitsIndex
        || config.ParityIndex > MaxParityIndex || config.StopBitsIndex > MaxStopBitsIndex;
}

std::optional<WriteRefusal> RefuseWrite(const TZEMO& record)
{
    if (HasInvalidChoice(record))
        return WriteRefusal{SequenceOutcome::InvalidChoice, InvalidChoiceText};
    if (!DerivedTimeInRange(CharacterTimeUs(record)))
        return WriteRefusal{SequenceOutcome::CharacterTimeRefused, CharacterTimeRefusedText};
    if (!DerivedTimeInRange(HoldTimeUs(record)))
        return WriteRefusal{SequenceOutcome::HoldTimeRefused, HoldTimeRefusedText};
    return std::nullopt;
}

std::array<RegisterWrite, WriteStepCount> WritePlan(const TZEMO& config, uint16_t characterTime,
                                                    uint16_t holdTime)
{
    std::array<RegisterWrite, WriteStepCount> plan{};
    size_t n = 0;
    plan[n++] = {RegMode, uint8_t((config.RxMode * 4 + config.TxMode) & 0xFF)};
    plan[n++] = {RegBaudIndex, config.BaudIndex};
    plan[n++] = {RegDataBits, config.DataBitsIndex};
    plan[n++] = {RegParity, config.ParityIndex};
    plan[n++] = {RegStopBits, config.StopBitsIndex};
    for (uint8_t i = 0; i < 3; ++i)
        plan[n++] = {uint8_t(RegCustomBaud + i), Byte(config.CustomBaud, 8 * i)};
    for (uint8_t i = 0; i < NoteLength; ++i)
        plan[n++] = {uint8_t(RegNote + i), NoteCode(config.Note, i)};
    plan[n++] = {RegOverhang, Byte(config.OverhangUs, 0)};
    plan[n++] = {RegOverhang + 1, Byte(config.OverhangUs, 8)};
    plan[n++] = {RegCharTime, Byte(characterTime, 0)};
    plan[n++] = {RegCharTime + 1, Byte(characterTime, 8)};
    plan[n++] = {RegHoldTime, Byte(holdTime, 0)};
    plan[n++] = {RegHoldTime + 1, Byte(holdTime, 8)};
    return plan;
}

SequenceResult ZapisData(const TData* data, const TZEMO& record, SequenceReporter& reporter)
{
    if (data == nullptr || !ConnectionReady(*data))
        return {};

    const TZEMO config = record;
    if (const std::optional<WriteRefusal> refusal = RefuseWrite(config)) {
        Show(reporter, refusal->statusText);
        return {refusal->outcome, 0, 0};
    }
    const auto plan = WritePlan(config, RoundHalfToEven(CharacterTimeUs(config)),
                                RoundHalfToEven(HoldTimeUs(config)));

    const uint8_t type = data->InterfaceType;
    const uint32_t handle = data->DriverHandle;
    Show(reporter, WriteProgressText(0));
    for (int n = 0; n < WriteStepCount; ++n) {
        if (n > 0)
            YieldAndPause(reporter);
        const RegisterWrite& write = plan[size_t(n)];
        bool verified = false;
        uint8_t status = 0;
        if (!WriteVerifyRegister(type, handle, write.reg, write.value, verified, status)) {
            Show(reporter, TransactionErrorText(type, status));
            return {SequenceOutcome::TransactionFailed, status, n};
        }
        if (!verified) {
            Show(reporter, WriteMismatchText);
            return {SequenceOutcome::ReadBackMismatch, 0, n};
        }
        Show(reporter, WriteProgressText((n + 1) * 100 / WriteStepCount));
    }
    Show(reporter, WriteDoneText);
    return {SequenceOutcome::Completed, 0, WriteStepCount};
}
