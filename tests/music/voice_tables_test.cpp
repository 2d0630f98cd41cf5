#include <gtest/gtest.h>

#include <cmath>

#include "music/output_driver_state.h"

namespace {

// LogScale(x) / 5 for x = 1..64, as published for the driver's tables.
constexpr int SCALED_LOG[64] = {0,    333,  528,  666,  773,  861,  935,  1000, 1056, 1107, 1153, 1194, 1233,
                                1269, 1302, 1333, 1362, 1389, 1415, 1440, 1464, 1486, 1507, 1528, 1547, 1566,
                                1584, 1602, 1619, 1635, 1651, 1666, 1681, 1695, 1709, 1723, 1736, 1749, 1761,
                                1773, 1785, 1797, 1808, 1819, 1830, 1841, 1851, 1861, 1871, 1881, 1890, 1900,
                                1909, 1918, 1927, 1935, 1944, 1952, 1960, 1968, 1976, 1984, 1992, 2000};

TEST(LogScale, DividedByFiveMatchesTheTableForEveryVolume) {
    for (int x = 1; x <= 64; ++x) {
        EXPECT_EQ(LogScale(x) / 5, SCALED_LOG[x - 1]) << "x = " << x;
    }
}

TEST(LogScale, IsASixthOfTenThousandTimesLog2TruncatedTowardZero) {
    for (int x : {1, 2, 3, 10, 63, 64, 1000}) {
        double exact = 10000.0 / 6.0 * std::log2(static_cast<double>(x));
        EXPECT_EQ(LogScale(x), static_cast<int>(exact)) << "x = " << x;
        EXPECT_LE(LogScale(x), exact);
    }
}

TEST(VolumeTable, SpansMinus3000ToMinus1000WithSilenceAtZero) {
    int16_t table[65] = {};
    FillVolumeTable(table);
    const std::pair<int, int> rows[] = {{0, -10000}, {1, -3000},  {2, -2667},  {4, -2334},  {8, -2000},
                                        {16, -1667}, {32, -1334}, {48, -1139}, {63, -1008}, {64, -1000}};
    for (auto [volume, level] : rows) {
        EXPECT_EQ(table[volume], level) << "volume " << volume;
    }
    for (int v = 2; v <= 64; ++v) {
        EXPECT_GE(table[v], table[v - 1]) << "the table never falls, volume " << v;
    }
}

TEST(PanTable, ListedRowsAndSymmetricLimits) {
    int16_t table[256] = {};
    FillPanTable(table);
    for (int p = 0; p <= 27; ++p) {
        EXPECT_EQ(table[p], -10000) << "pan " << p;
    }
    for (int p = 229; p <= 255; ++p) {
        EXPECT_EQ(table[p], 10000) << "pan " << p;
    }
    const std::pair<int, int> rows[] = {{28, -2000}, {30, -1667}, {64, -493},  {100, -159},
                                        {127, -8},   {128, 0},    {129, 8},    {160, 192},
                                        {192, 493},  {226, 2000}, {227, 2000}, {228, 2000}};
    for (auto [pan, level] : rows) {
        EXPECT_EQ(table[pan], level) << "pan " << pan;
    }
}

TEST(PanTable, RisesFromLeftToRight) {
    int16_t table[256] = {};
    FillPanTable(table);
    for (int p = 1; p < 256; ++p) {
        EXPECT_GE(table[p], table[p - 1]) << "pan " << p;
    }
}

}  // namespace
