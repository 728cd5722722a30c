#include "EntryChecks.h"

#include "StatusTexts.h"

#include <limits>

namespace {

// Far beyond every accepted value, and still far from overflowing.
constexpr int64_t Saturated = int64_t(1) << 50;
constexpr int MaxSignificantDigits = 15;

bool IsDigit(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

int DigitValue(QChar ch)
{
    return ch.unicode() - u'0';
}

bool SkipSign(const QString& text, qsizetype& pos)
{
    if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+')))
        return text[pos++] == QLatin1Char('-');
    return false;
}

// Appends the digits from pos on; returns how many there were.
qsizetype TakeDigits(const QString& text, qsizetype& pos, QString& digits)
{
    const qsizetype start = pos;
    while (pos < text.size() && IsDigit(text[pos]))
        digits.append(text[pos++]);
    return pos - start;
}

// A decimal exponent, saturated well beyond what any value can use.
int64_t ExponentValue(const QString& digits, bool negative)
{
    int64_t value = 0;
    for (QChar ch : digits)
        value = std::min<int64_t>(value * 10 + DigitValue(ch), 1000000);
    return negative ? -value : value;
}

// digits × 10^shift, truncated toward zero and saturated.
int64_t ScaleDigits(QString digits, int64_t shift)
{
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (shift < 0) {
        if (-shift >= digits.size())
            return 0;
        digits.chop(qsizetype(-shift));
        shift = 0;
    }
    if (digits.isEmpty())
        return 0;
    if (digits.size() + shift > MaxSignificantDigits)
        return Saturated;
    int64_t value = 0;
    for (QChar ch : digits)
        value = value * 10 + DigitValue(ch);
    for (int64_t i = 0; i < shift; ++i)
        value *= 10;
    return value;
}

uint8_t ListByte(int index)
{
    return index >= 0 && index < NoSelectionByte ? uint8_t(index) : NoSelectionByte;
}

} // namespace

bool ParseIntInRange(const QString& text, int32_t low, int32_t high, int32_t& value)
{
    qsizetype pos = 0;
    const bool negative = SkipSign(text, pos);
    if (pos == text.size())
        return false;
    int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos]))
            return false;
        magnitude = magnitude * 10 + DigitValue(text[pos]);
        if (magnitude > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    const int64_t number = negative ? -magnitude : magnitude;
    if (number > std::numeric_limits<int32_t>::max() || number < low || number > high)
        return false;
    value = int32_t(number);
    return true;
}

QString FormatHoldTime(uint32_t microseconds, QChar decimalSeparator)
{
    return QString::number(microseconds / 1000) + decimalSeparator
        + QStringLiteral("%1").arg(microseconds % 1000, 3, 10, QLatin1Char('0'));
}

std::optional<int64_t> ParseHoldTime(const QString& text, QChar decimalSeparator)
{
    qsizetype pos = 0;
    const bool negative = SkipSign(text, pos);
    QString digits;
    qsizetype mantissaDigits = TakeDigits(text, pos, digits);
    qsizetype fractionDigits = 0;
    if (pos < text.size() && text[pos] == decimalSeparator) {
        ++pos;
        fractionDigits = TakeDigits(text, pos, digits);
        mantissaDigits += fractionDigits;
    }
    if (mantissaDigits == 0)
        return std::nullopt;

    int64_t exponent = 0;
    if (pos < text.size() && (text[pos] == QLatin1Char('e') || text[pos] == QLatin1Char('E'))) {
        ++pos;
        const bool negativeExponent = SkipSign(text, pos);
        QString exponentDigits;
        if (TakeDigits(text, pos, exponentDigits) == 0)
            return std::nullopt;
        exponent = ExponentValue(exponentDigits, negativeExponent);
    }
    if (pos != text.size())
        return std::nullopt;

    const int64_t microseconds = ScaleDigits(digits, exponent - fractionDigits + 3);
    return negative ? -microseconds : microseconds;
}

EntryCheck CheckEntries(const WindowEntries& entries, const TZEMO& current,
                        QChar decimalSeparator)
{
    int32_t customBaud = 0;
    if (!ParseIntInRange(entries.customBaud, MinCustomBaud, MaxCustomBaud, customBaud))
        return {CustomBaudMessage, {}};
    const std::optional<int64_t> holdTime = ParseHoldTime(entries.holdTime, decimalSeparator);
    if (!holdTime)
        return {HoldTimeFormatMessage, {}};
    if (*holdTime < 0 || *holdTime > MaxHoldTimeUs)
        return {HoldTimeRangeMessage, {}};

    TZEMO record = current;
    if (entries.hasModeLists) {
        record.TxMode = ListByte(entries.txIndex);
        record.RxMode = ListByte(entries.rxIndex);
    }
    record.BaudIndex = ListByte(entries.baudIndex);
    record.ParityIndex = ListByte(entries.parityIndex);
    record.DataBitsIndex = ListByte(entries.dataBitsIndex);
    record.StopBitsIndex = ListByte(entries.stopBitsIndex);
    record.CustomBaud = uint32_t(customBaud);
    record.OverhangUs = uint32_t(*holdTime);
    record.Note = entries.note + QString(NotePadding, QLatin1Char(' '));
    return {QString(), record};
}
