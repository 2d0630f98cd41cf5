#include "log/debug_log.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/program_objects.h"
#include "tests/support/files.h"

namespace {

class LogTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearDebugLog(); }
    void TearDown() override { logLines = 0; }
};

TEST_F(LogTest, DebugLogAppendsOneLinePerMessageAndNeverTruncates) {
    {
        std::FILE* earlier = std::fopen("debug.log", "w");
        std::fputs("an earlier run\n", earlier);
        std::fclose(earlier);
    }
    EXPECT_EQ(DebugLog("Drivers enumerated"), 0);
    EXPECT_EQ(DebugLog("100% done %s %d"), 0);  // written as text, not as a format
    EXPECT_EQ(DebugLogText(), "an earlier run\nDrivers enumerated\n100% done %s %d\n");
}

TEST_F(LogTest, MainframeLogWritesNothingWhileTheCounterIsZero) {
    ASSERT_EQ(logLines, 0);
    EXPECT_EQ(mainframe.Log("Window Created."), 0);
    EXPECT_EQ(DebugLogText(), "");
    EXPECT_EQ(logLines, 0);
}

TEST_F(LogTest, MainframeLogWritesAndCountsOnceTheCounterIsSet) {
    logLines = 1;
    mainframe.Log("first");
    mainframe.Log("second");
    EXPECT_EQ(logLines, 3);
    EXPECT_EQ(DebugLogText(), "first\nsecond\n");
    EXPECT_EQ(mainframe.logFile, nullptr);  // closed after every line
}

TEST_F(LogTest, UnwritableLogSkipsTheLine) {
    // A directory named debug.log cannot be opened as a file.
    ASSERT_EQ(std::system("mkdir -p debug.log"), 0);
    EXPECT_EQ(DebugLog("lost"), 0);
    ASSERT_EQ(std::system("rmdir debug.log"), 0);
}

}  // namespace
