#include "platform/core/unsupported.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/windows.h"

namespace {

// A call the stand-in does not carry out is named once for each place that
// reports it, however often it comes, so that a loop cannot flood the output.
TEST(ReportUnsupported, NamesEachPlaceOnce) {
    testing::internal::CaptureStderr();
    unsigned lines[2] = {};
    for (int i = 0; i < 3; ++i) {
        lines[0] = __LINE__ + 1;
        EXPECT_EQ(ReportUnsupported("a flag", E_INVALIDARG), E_INVALIDARG);
        lines[1] = __LINE__ + 1;
        ReportUnsupported("a flag");
    }
    const std::string said = testing::internal::GetCapturedStderr();
    std::string expected;
    for (unsigned line : lines) {
        expected +=
            "unsupported: a flag (tests/platform/win32/unsupported_test.cpp:" + std::to_string(line) + ")\n";
    }
    EXPECT_EQ(said, expected);
}

}  // namespace
