#include "core/Cp1250.h"

#include <gtest/gtest.h>

#include <set>

TEST(Cp1250, EveryCodeSurvivesARoundTrip)
{
    QByteArray all;
    for (int code = 0; code < 256; ++code)
        all.append(char(code));
    const QString text = DecodeCp1250(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(EncodeCp1250(text), all);

    std::set<char16_t> distinct;
    for (QChar ch : text)
        distinct.insert(ch.unicode());
    EXPECT_EQ(distinct.size(), 256u);
}

TEST(Cp1250, CzechLettersHaveTheirCodes)
{
    const QString czech = QStringLiteral("Připojení Číslo Bázová ŽŠŘťďňůě€");
    const QByteArray codes = EncodeCp1250(czech);
    EXPECT_EQ(uint8_t(codes[1]), 0xF8);  // ř
    EXPECT_EQ(uint8_t(codes[8]), 0xED);  // í
    EXPECT_EQ(uint8_t(codes[10]), 0xC8); // Č
    EXPECT_EQ(uint8_t(codes.back()), 0x80); // €
    EXPECT_EQ(DecodeCp1250(codes), czech);
}

TEST(Cp1250, UnassignedCodesDecodeToC1Controls)
{
    for (int value : {0x81, 0x83, 0x88, 0x90, 0x98}) {
        const auto code = uint8_t(value);
        EXPECT_EQ(Cp1250ToChar(code).unicode(), code);
        uint8_t back = 0;
        EXPECT_TRUE(CharToCp1250(QChar(char16_t(code)), back));
        EXPECT_EQ(back, code);
    }
}

TEST(Cp1250, CharactersOutsideTheCodePageBecomeOneQuestionMark)
{
    uint8_t code = 0;
    EXPECT_FALSE(CharToCp1250(QChar(u'ą' + 1000), code));
    EXPECT_EQ(code, '?');
    EXPECT_EQ(EncodeCp1250(QStringLiteral("a😀b")), QByteArray("a?b"));
    EXPECT_EQ(EncodeCp1250(QStringLiteral("日本")), QByteArray("??"));
}
