#include "presentation/motion_tables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class MotionTablesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { BuildMotionTables(6.0f); }
};

TEST_F(MotionTablesTest, RingIsACircleOfRadiusSixAboutMinusFourMinusOne) {
    EXPECT_FLOAT_EQ(pathX[0], 2.0f);
    EXPECT_FLOAT_EQ(pathY[0], -1.0f);
    EXPECT_NEAR(pathX[64], -4.0f, 1e-5);
    EXPECT_FLOAT_EQ(pathY[64], 5.0f);
    EXPECT_FLOAT_EQ(pathX[128], -10.0f);
    EXPECT_NEAR(pathY[128], -1.0f, 1e-5);
    EXPECT_NEAR(pathX[192], -4.0f, 1e-5);
    EXPECT_FLOAT_EQ(pathY[192], -7.0f);
    // The last entry sits one step before the start, not on it.
    EXPECT_NEAR(pathX[255], 1.998193f, 1e-5);
    EXPECT_NEAR(pathY[255], -1.147242f, 1e-5);
}

TEST_F(MotionTablesTest, FirstFramesEightCopiesStand45DegreesApart) {
    const float expected[8][2] = {{2, -1},   {0.243f, 3.243f},   {-4, 5},  {-8.243f, 3.243f},
                                  {-10, -1}, {-8.243f, -5.243f}, {-4, -7}, {0.243f, -5.243f}};
    for (int j = 0; j < 8; ++j) {
        EXPECT_NEAR(pathX[32 * j], expected[j][0], 0.0005) << "copy " << j;
        EXPECT_NEAR(pathY[32 * j], expected[j][1], 0.0005) << "copy " << j;
    }
}

TEST_F(MotionTablesTest, DepthWaveHoldsItsListedValues) {
    EXPECT_FLOAT_EQ(depthWave[0], -5.0f);
    EXPECT_NEAR(depthWave[8], -0.00005f, 1e-5);
    EXPECT_NEAR(depthWave[24], -9.99957f, 1e-5);
    EXPECT_NEAR(depthWave[255], -6.64588f, 1e-5);
}

TEST_F(MotionTablesTest, DepthWaveFollowsItsFormulaEverywhere) {
    for (int k = 0; k < PATH_LENGTH; ++k) {
        double expected = 5.0 * std::sin(k * 0.19580412545811385) - 5.0;
        EXPECT_NEAR(depthWave[k], expected, 3e-6) << "entry " << k;
        EXPECT_LE(depthWave[k], 0.0f);
        EXPECT_GE(depthWave[k], -10.0f);
    }
}

}  // namespace
