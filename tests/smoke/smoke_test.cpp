// The test build itself: what every other test program takes for granted.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
// Wine runs the tests with LANG=ko_KR.UTF-8: the launcher's texts are in
// the Korean ANSI code page, and many tests compare them byte for byte.
TEST(Smoke, AnsiCodePageIsKorean) { EXPECT_EQ(949u, GetACP()); }

// The i686 build is the product and must stay 32-bit; the x86_64 build
// runs the same sources with 64-bit pointers.  A toolchain that built the
// other one would leave either untested.
TEST(Smoke, PointerSizeIsTheTargets) { EXPECT_EQ(static_cast<size_t>(QUORL_EXPECT_POINTER_SIZE), sizeof(void*)); }
#else
// make test promises the native run under AddressSanitizer and
// UndefinedBehaviorSanitizer: a build that lost the flags would pass every
// memory test without checking anything.
TEST(Smoke, SanitizersAreOnWhenTheBuildAsksForThem) {
#if QUORL_EXPECT_SANITIZERS
#if defined(__has_feature)
  EXPECT_TRUE(__has_feature(address_sanitizer));
  EXPECT_TRUE(__has_feature(undefined_behavior_sanitizer));
#else
  GTEST_SKIP() << "the compiler cannot tell";
#endif
#else
  GTEST_SKIP() << "a build without the sanitizers";
#endif
}
#endif
