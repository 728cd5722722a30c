#include "config/EntryChecks.h"
#include "config/StatusTexts.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const QChar Comma = QLatin1Char(',');
const QChar Point = QLatin1Char('.');

bool Parses(const QString& text, int32_t low, int32_t high, int32_t expected)
{
    int32_t value = -12345;
    return ParseIntInRange(text, low, high, value) && value == expected;
}

bool Fails(const QString& text, int32_t low, int32_t high)
{
    int32_t value = -12345;
    return !ParseIntInRange(text, low, high, value) && value == -12345;
}

TEST(ParseIntInRange, AcceptsWholeNumbersWithinBothBounds)
{
    EXPECT_TRUE(Parses(u"300"_qs, 300, 500000, 300));
    EXPECT_TRUE(Parses(u"500000"_qs, 300, 500000, 500000));
    EXPECT_TRUE(Parses(u"+9600"_qs, 300, 500000, 9600));
    EXPECT_TRUE(Parses(u"-7"_qs, -10, 10, -7));
    EXPECT_TRUE(Parses(u"007"_qs, 0, 10, 7));
    constexpr int32_t Min = std::numeric_limits<int32_t>::min();
    constexpr int32_t Max = std::numeric_limits<int32_t>::max();
    EXPECT_TRUE(Parses(u"-2147483648"_qs, Min, Max, Min));
    EXPECT_TRUE(Parses(u"2147483647"_qs, Min, Max, Max));
}

TEST(ParseIntInRange, RefusesEverythingElse)
{
    for (const char16_t* text : {u"299", u"500001", u"", u"9600,5", u"9600.5", u"abc", u"+",
                                 u"-", u" 300", u"300 ", u"1e3", u"0x12C", u"３００"})
        EXPECT_TRUE(Fails(QString::fromUtf16(text), 300, 500000)) << QString::fromUtf16(text).toStdString();
    constexpr int32_t Min = std::numeric_limits<int32_t>::min();
    constexpr int32_t Max = std::numeric_limits<int32_t>::max();
    EXPECT_TRUE(Fails(u"2147483648"_qs, Min, Max));
    EXPECT_TRUE(Fails(u"-2147483649"_qs, Min, Max));
    EXPECT_TRUE(Fails(u"99999999999999999999999"_qs, Min, Max));
}

TEST(HoldTime, ParsesMillisecondsInTheGivenNotation)
{
    EXPECT_EQ(ParseHoldTime(u"0,200"_qs, Comma), 200);
    EXPECT_EQ(ParseHoldTime(u"0.200"_qs, Comma), std::nullopt);
    EXPECT_EQ(ParseHoldTime(u"0.200"_qs, Point), 200);
    EXPECT_EQ(ParseHoldTime(u"0,200"_qs, Point), std::nullopt);

    EXPECT_EQ(ParseHoldTime(u"65"_qs, Comma), 65000);
    EXPECT_EQ(ParseHoldTime(u"65,001"_qs, Comma), 65001);
    EXPECT_EQ(ParseHoldTime(u"-0,001"_qs, Comma), -1);
    EXPECT_EQ(ParseHoldTime(u"0,0004"_qs, Comma), 0);
    EXPECT_EQ(ParseHoldTime(u"-0,0004"_qs, Comma), 0);
    EXPECT_EQ(ParseHoldTime(u"0,700"_qs, Comma), 700);
    EXPECT_EQ(ParseHoldTime(u"+1,5e1"_qs, Comma), 15000);
    EXPECT_EQ(ParseHoldTime(u"7E-3"_qs, Comma), 7);
    EXPECT_EQ(ParseHoldTime(u"5,"_qs, Comma), 5000);
    EXPECT_EQ(ParseHoldTime(u",25"_qs, Comma), 250);
    EXPECT_GT(*ParseHoldTime(u"1e999999999999"_qs, Comma), 65000);
    EXPECT_EQ(ParseHoldTime(u"1e-999999999999"_qs, Comma), 0);

    for (const char16_t* text : {u"", u",", u"-", u"e3", u"1e", u"1e+", u"0,2,0", u"abc",
                                 u" 0,2", u"0,2 ", u"inf", u"nan", u"1 000"})
        EXPECT_EQ(ParseHoldTime(QString::fromUtf16(text), Comma), std::nullopt)
            << QString::fromUtf16(text).toStdString();
}

TEST(HoldTime, EveryValueAModuleCanHoldIsShownAndParsedBackExactly)
{
    EXPECT_EQ(FormatHoldTime(200, Comma), u"0,200"_qs);
    EXPECT_EQ(FormatHoldTime(0, Comma), u"0,000"_qs);
    EXPECT_EQ(FormatHoldTime(1500, Comma), u"1,500"_qs);
    EXPECT_EQ(FormatHoldTime(65000, Point), u"65.000"_qs);
    EXPECT_EQ(FormatHoldTime(65535, Comma), u"65,535"_qs);
    for (uint32_t us = 0; us <= 65535; ++us) {
        ASSERT_EQ(ParseHoldTime(FormatHoldTime(us, Comma), Comma), int64_t(us));
        ASSERT_EQ(ParseHoldTime(FormatHoldTime(us, Point), Point), int64_t(us));
    }
}

WindowEntries ValidEntries()
{
    WindowEntries entries;
    entries.txIndex = 3;
    entries.rxIndex = 1;
    entries.baudIndex = 9;
    entries.parityIndex = 0;
    entries.dataBitsIndex = 2;
    entries.stopBitsIndex = 1;
    entries.customBaud = u"250000"_qs;
    entries.holdTime = u"1,250"_qs;
    entries.note = u"Hala 3"_qs;
    return entries;
}

TEST(CheckEntries, TakesTheEntriesIntoTheRecord)
{
    const EntryCheck check = CheckEntries(ValidEntries(), DefaultModelConfig(), Comma);
    ASSERT_TRUE(check.Passed());
    EXPECT_EQ(check.record.TxMode, 3);
    EXPECT_EQ(check.record.RxMode, 1);
    EXPECT_EQ(check.record.BaudIndex, 9);
    EXPECT_EQ(check.record.ParityIndex, 0);
    EXPECT_EQ(check.record.DataBitsIndex, 2);
    EXPECT_EQ(check.record.StopBitsIndex, 1);
    EXPECT_EQ(check.record.CustomBaud, 250000u);
    EXPECT_EQ(check.record.OverhangUs, 1250u);
    EXPECT_EQ(check.record.Note, u"Hala 3"_qs + QString(50, QLatin1Char(' ')));
}

TEST(CheckEntries, ListsWithoutSelectionGiveTwoFiftyFiveAndModelessWindowsKeepTheModes)
{
    WindowEntries entries = ValidEntries();
    entries.txIndex = NoSelection;
    entries.stopBitsIndex = NoSelection;
    EntryCheck check = CheckEntries(entries, DefaultModelConfig(), Comma);
    EXPECT_EQ(check.record.TxMode, 255);
    EXPECT_EQ(check.record.StopBitsIndex, 255);

    TZEMO current = DefaultModelConfig();
    current.TxMode = 2;
    current.RxMode = 1;
    entries.hasModeLists = false;
    entries.rxIndex = 0;
    check = CheckEntries(entries, current, Comma);
    EXPECT_EQ(check.record.TxMode, 2);
    EXPECT_EQ(check.record.RxMode, 1);
}

TEST(CheckEntries, TheFirstFailingCheckGivesItsMessage)
{
    WindowEntries entries = ValidEntries();
    entries.baudIndex = 4; // a list speed does not excuse a bad custom speed
    entries.customBaud = u"abc"_qs;
    entries.holdTime = u"x"_qs;
    EXPECT_EQ(CheckEntries(entries, {}, Comma).failure,
              u"Komunikační rychlost musí být v rozsahu 300-500000 Bd."_qs);

    entries.customBaud = u"0"_qs;
    entries.holdTime = u"0,2"_qs;
    EXPECT_EQ(CheckEntries(entries, {}, Comma).failure, CustomBaudMessage);

    entries.customBaud = u"9600"_qs;
    entries.holdTime = u"0.200"_qs;
    EXPECT_EQ(CheckEntries(entries, {}, Comma).failure,
              u"Chybné zadání přesahu (ověřte desetinnou tečku resp. čárku)."_qs);

    for (const char16_t* range : {u"65,001", u"-0,001", u"65,535", u"1e9"}) {
        entries.holdTime = QString::fromUtf16(range);
        EXPECT_EQ(CheckEntries(entries, {}, Comma).failure, u"Přesah musí být v rozsahu 0-65 ms."_qs);
    }
    entries.holdTime = u"65"_qs;
    EXPECT_TRUE(CheckEntries(entries, {}, Comma).Passed());
    EXPECT_EQ(CheckEntries(entries, {}, Comma).record.OverhangUs, 65000u);
}

} // namespace
