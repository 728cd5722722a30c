#include "drivers/SpeedTables.h"

#include <gtest/gtest.h>

TEST(SpeedTables, ListPositionsGiveSpeedsAndTimeouts)
{
    const uint32_t bauds[] = {600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    const int32_t timeouts[] = {1000, 1000, 500, 300, 200, 200, 200, 200, 200};
    for (uint8_t i = 0; i < 9; ++i) {
        EXPECT_EQ(BaudFromIndex(i), bauds[i]);
        EXPECT_EQ(TimeoutFromIndex(i), timeouts[i]);
        EXPECT_EQ(IndexFromBaud(bauds[i]), i);
    }
}

TEST(SpeedTables, AnythingElseMeans9600)
{
    EXPECT_EQ(BaudFromIndex(9), 9600u);
    EXPECT_EQ(BaudFromIndex(255), 9600u);
    EXPECT_EQ(TimeoutFromIndex(9), 200);
    EXPECT_EQ(IndexFromBaud(0), 4);
    EXPECT_EQ(IndexFromBaud(300), 4);
    EXPECT_EQ(IndexFromBaud(115201), 4);
}
