// The skin file that mkskin draws for the launcher: the entries the launcher
// screen and the main frame use exist, have sane sizes and unpack.
#include <gtest/gtest.h>

#include "skin/graphic_data.h"

#ifndef QUORL_SKIN_FILE
#error "QUORL_SKIN_FILE must name the generated QuorlLnchr.rdl"
#endif

namespace {

TEST(SkinFile, LauncherEntriesArePresent) {
  CGraphicData data(20, 1);
  ASSERT_TRUE(data.Open(QUORL_SKIN_FILE)) << QUORL_SKIN_FILE;
  ASSERT_GE(data.GetCount(), 20);

  int32_t bw = 0, bh = 0;
  ASSERT_TRUE(data.GetImageSize(0, &bw, &bh));
  // The buttons stand at x = 179, y = 236 / 268 / 300, the version label at
  // (W - 168, 18) and the banner at y = 356: the background must hold them.
  EXPECT_GE(bw, 400);
  EXPECT_LE(bw, 1024);
  EXPECT_GE(bh, 360);
  EXPECT_LE(bh, 768);

  int32_t w1 = 0, h1 = 0;
  ASSERT_TRUE(data.GetImageSize(1, &w1, &h1));
  EXPECT_GT(w1, 0);
  EXPECT_LE(w1, bw);
  EXPECT_GT(h1, 0);
  EXPECT_LE(356 + h1, bh);

  for (int32_t first : {2, 14, 17}) {
    SCOPED_TRACE(first);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(data.GetImageSize(first, &w, &h));
    EXPECT_GE(w, 40);
    EXPECT_GE(h, 16);
    EXPECT_LE(h, 32);  // the buttons are 32 pixels apart
    EXPECT_LE(179 + w, bw);
    for (int32_t frame = 1; frame < 3; ++frame) {
      int32_t fw = 0, fh = 0;
      ASSERT_TRUE(data.GetImageSize(first + frame, &fw, &fh));
      EXPECT_EQ(w, fw);
      EXPECT_EQ(h, fh);
    }
  }

  for (int32_t entry : {0, 1, 2, 3, 4, 14, 15, 16, 17, 18, 19}) {
    SCOPED_TRACE(entry);
    CGraphicDataHandle handle;
    ASSERT_TRUE(data.GetImage(entry, &handle));
    EXPECT_EQ(
        CGraphicData::GetImageBytesNeeded(1, static_cast<uint32_t>(handle.width), static_cast<uint32_t>(handle.height)),
        handle.size);
  }
}

TEST(SkinFile, BackgroundIsOpaqueAndButtonsHaveTransparentCorners) {
  CGraphicData data(20, 1);
  ASSERT_TRUE(data.Open(QUORL_SKIN_FILE));
  CGraphicDataHandle bg;
  ASSERT_TRUE(data.GetImage(0, &bg));
  const uint32_t pixels = static_cast<uint32_t>(bg.width * bg.height);
  const uint8_t* table = bg.data + pixels;
  for (uint32_t i = 0; i < pixels; i += 97) {
    ASSERT_EQ(255, table[4 * bg.data[i] + 3]) << "pixel " << i;
  }
  for (int32_t entry : {2, 14, 17}) {
    SCOPED_TRACE(entry);
    CGraphicDataHandle button;
    ASSERT_TRUE(data.GetImage(entry, &button));
    const uint32_t n = static_cast<uint32_t>(button.width * button.height);
    const uint8_t* t = button.data + n;
    EXPECT_EQ(0, t[4 * button.data[0] + 3]);                           // top-left corner
    EXPECT_EQ(255, t[4 * button.data[n / 2 + button.width / 2] + 3]);  // middle
  }
}

}  // namespace
