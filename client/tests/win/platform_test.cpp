#include <windows.h>

#include <gtest/gtest.h>

// A precondition, not a test of our code: everything else assumes a Japanese system (the menu scripts and the
// message texts depend on code page 932), so a wrong test environment shows here first.
TEST(Platform, PreconditionTheTestSystemHasTheJapaneseAnsiCodePage) {
    EXPECT_EQ(GetACP(), 932u);
}

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
