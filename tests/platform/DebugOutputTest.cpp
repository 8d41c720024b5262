#include "platform/win32/Windows.h"

#include <gtest/gtest.h>

#include <string>

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

// Each text is one letter and a line break; the texts are written in order, then flushed.
TEST(DebugOutputTest, FoldsARepeatingCycleAndKeepsEveryTextThatBreaksIt) {
    struct Case {
        const char* texts;
        const char* written;
    };
    const Case cases[] = {
        {"ABABABAB", "A\nB\n(the last 2 texts repeated 3 times)\n"},
        {"ABCABCABCX", "A\nB\nC\n(the last 3 texts repeated 2 times)\nX\n"},
        // Broken part-way: the held start of the unfinished repeat is written out.
        {"ABABAX", "A\nB\n(the last 2 texts repeated 1 times)\nA\nX\n"},
        // A text seen before that does not go on as before is written as it came.
        {"ABCAD", "A\nB\nC\nA\nD\n"},
        {"ABAAB", "A\nB\nA\n(repeated 1 times)\nB\n"},
        // Longer cycles than eight texts are not folded.
        {"ABCDEFGHIABCDEFGHI", "A\nB\nC\nD\nE\nF\nG\nH\nI\nA\nB\nC\nD\nE\nF\nG\nH\nI\n"},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStderr();
        for (const char* letter = c.texts; *letter != '\0'; ++letter) {
            OutputDebugStringA((std::string(1, *letter) + "\n").c_str());
        }
        FlushDebugOutput();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.written) << c.texts;
    }
}

} // namespace
