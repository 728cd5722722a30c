#include "drivers/DriverBuffer.h"

#include <gtest/gtest.h>

TEST(DriverBuffer, TextIsCutAtNinetyNineCharacters)
{
    const QString text = QString(150, u'x').replace(10, 1, u'ř');
    DriverBuffer buffer{};
    buffer.fill(-1);
    EXPECT_EQ(TextToBuffer(text, buffer), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[11], 0xF8); // ř in Windows-1250
    EXPECT_EQ(buffer[99], 'x');
    EXPECT_EQ(BufferToText(buffer), text.left(99));
}

TEST(DriverBuffer, EmptyTextIsAllZeros)
{
    DriverBuffer buffer{};
    buffer.fill(42);
    TextToBuffer(QString(), buffer);
    for (int32_t element : buffer)
        EXPECT_EQ(element, 0);
    EXPECT_EQ(BufferToText(buffer), QString());
}

TEST(DriverBuffer, ReadingStopsAtTheFirstZeroElementAndTakesLowBytes)
{
    DriverBuffer buffer{};
    buffer[0] = 0x141;      // element 0 counts when not 0
    buffer[1] = 'a';
    buffer[2] = 0x200 + 'b';
    buffer[3] = 0;
    buffer[4] = 'c';
    EXPECT_EQ(BufferToText(buffer), QStringLiteral("Aab"));
}

TEST(DriverBuffer, AnElementWhoseLowByteIsZeroEndsTheTextWithoutANul)
{
    DriverBuffer buffer{};
    buffer[0] = 0x100;      // no character, and no NUL either
    buffer[1] = 'o';
    buffer[2] = 'k';
    buffer[3] = -0x100;
    buffer[4] = 'x';
    EXPECT_EQ(BufferToText(buffer), QStringLiteral("ok"));

    buffer[3] = 0x200;
    EXPECT_EQ(BufferToText(buffer), QStringLiteral("ok"));
    buffer[0] = 0x200;
    buffer[1] = 0x300;
    EXPECT_EQ(BufferToText(buffer), QString());
}
