#include <windows.h>

#include <gtest/gtest.h>

// Everything else assumes a Japanese system: the menu scripts and the message texts depend on code page 932.
TEST(Platform, RunsWithTheJapaneseAnsiCodePage) {
    EXPECT_EQ(GetACP(), 932u);
}

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
