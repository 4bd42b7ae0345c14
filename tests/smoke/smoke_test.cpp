#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
TEST(Smoke, AnsiCodePageIsKorean) { EXPECT_EQ(949u, GetACP()); }
#endif
TEST(Smoke, Runs) { EXPECT_EQ(4, 2 + 2); }
