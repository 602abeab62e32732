#include "state/shared_state.h"

#include <gtest/gtest.h>

#include <cstring>

// A reset must undo whatever a previous run left, including freed heap blocks.
TEST(SharedState, ResetRestoresInitialValuesAndFreesBlocks) {
    NumScans = 50000;
    ChannelList[3] = 5;
    std::strcpy(Units[2], "mV");
    Colors[7] = 0x123456;
    HalfBuffer = new short[10];
    Coef[4] = new double[55];
    Fd = 7;
    ProtocolHandle = 3;
    Waveform = 5;

    trelvanix::ResetSharedState();

    EXPECT_EQ(NumScans, 4000);
    EXPECT_DOUBLE_EQ(Ds, 0.00025);
    EXPECT_EQ(ChannelList[0], 0);
    for (int i = 1; i < 8; ++i) EXPECT_EQ(ChannelList[i], -1);
    EXPECT_STREQ(Units[2], "V");
    EXPECT_EQ(Colors[0], 0x0000FF);
    EXPECT_EQ(Colors[7], 0x000000);
    EXPECT_EQ(HalfBuffer, nullptr);
    EXPECT_EQ(Coef[4], nullptr);
    EXPECT_EQ(Fd, -1);
    EXPECT_EQ(ProtocolHandle, -1);
    EXPECT_EQ(Waveform, -1);
    EXPECT_EQ(Window_size[6], 55);
    EXPECT_EQ(Pulse_amp_idx[4], 2);
    EXPECT_EQ(Ramp_dur_idx[0], 12);
}

TEST(SharedState, MenuValueTablesHoldTheOfferedSettings) {
    EXPECT_DOUBLE_EQ(SampRateIDVal[5], 2.5);
    EXPECT_DOUBLE_EQ(MSPerStretchIDVal[6], 0.1);
    EXPECT_EQ(StretchIDVal[7], 100);
}
