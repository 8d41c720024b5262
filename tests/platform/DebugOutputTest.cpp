#include "platform/win32/Windows.h"

#include <gtest/gtest.h>

namespace {

std::string Capture(void (*write)()) {
    ::testing::internal::CaptureStderr();
    write();
    FlushDebugOutput();
    return ::testing::internal::GetCapturedStderr();
}

TEST(DebugOutputTest, WritesExactlyTheTextGiven) {
    EXPECT_EQ(Capture([] {
                  OutputDebugStringA("Errors currently undocumented, sorry ;)\n");
                  OutputDebugStringA("no line break");
              }),
              "Errors currently undocumented, sorry ;)\nno line break");
}

TEST(DebugOutputTest, FoldsARunOfIdenticalTextsIntoOneLineAndACount) {
    EXPECT_EQ(Capture([] {
                  for (int i = 0; i < 1000; ++i) {
                      OutputDebugStringA("draw failed\n");
                  }
                  OutputDebugStringA("other\n");
                  OutputDebugStringA("draw failed\n");
                  OutputDebugStringA("draw failed\n");
              }),
              "draw failed\n(repeated 999 times)\nother\ndraw failed\n(repeated 1 times)\n");
}

TEST(DebugOutputTest, ACountAfterATextWithoutLineBreakStartsItsOwnLine) {
    EXPECT_EQ(Capture([] {
                  OutputDebugStringA("x");
                  OutputDebugStringA("x");
                  OutputDebugStringA("x");
              }),
              "x\n(repeated 2 times)\n");
}

} // namespace
