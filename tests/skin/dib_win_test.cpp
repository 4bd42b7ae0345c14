// Images against the real GDI: a bitmap resource of this program, device-
// dependent bitmaps from the screen's DC, the drawing surface (re-created
// images, top-down rows) and Save's message boxes and file dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/afxfile.h"
#include "framework/afxgdi.h"
#include "skin/dib.h"
#include "tests/skin/dib_win_test_res.h"
#include "tests/support/dialogs_win.h"
#include "tests/support/test_app_win.h"

namespace {

// The resource's index rows, top row first, and its colours {B, G, R, 0}.
const uint8_t kPaletteRows[3][5] = {{0, 1, 2, 3, 0}, {1, 1, 2, 2, 3}, {3, 2, 1, 0, 1}};
const uint8_t kPaletteColours[4][4] = {
    {0x10, 0x20, 0xF8, 0}, {0xF8, 0, 0, 0}, {0, 0xF8, 0x40, 0}, {0x80, 0x80, 0x80, 0}};

TEST(ImageResources, BitmapResourceIsUsedInPlace) {
  CDIB d;
  ASSERT_TRUE(d.LoadFromResource(IDB_TEST_PALETTE));
  EXPECT_EQ(5, d.GetWidth());
  EXPECT_EQ(3, d.GetHeight());
  EXPECT_EQ(8, d.GetBitCount());
  EXPECT_EQ(4u, GetColourCount(d.GetHeader()));
  EXPECT_EQ(0, std::memcmp(d.GetColourTable(), kPaletteColours, sizeof kPaletteColours));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(kPaletteRows[y][x], d.GetPixel(x, y)) << x << "," << y;
  EXPECT_EQ(0u, d.GetFlags() & CDIB::kOwnsBits) << "the resource's memory, not a copy";
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(IDB_TEST_PALETTE), reinterpret_cast<LPCSTR>(RT_BITMAP));
  ASSERT_NE(nullptr, found);
  const uint8_t* block = static_cast<const uint8_t*>(::LockResource(::LoadResource(module, found)));
  EXPECT_EQ(block + 40 + 16, d.GetBits());
  // Its pixels can be drawn into.
  *d.GetPixelAddress(4, 2) = 2;
  EXPECT_EQ(2u, d.GetPixel(4, 2));
  *d.GetPixelAddress(4, 2) = 1;

  // A sprite takes its key from the resource's pixel (0, 0).
  CSprite s;
  ASSERT_TRUE(s.LoadFromResource(IDB_TEST_PALETTE));
  EXPECT_EQ(0u, s.GetColourKey());

  // No such resource: FALSE, the picture kept.
  CDIB k;
  k.CreateBlank(2, 2, nullptr);
  EXPECT_FALSE(k.LoadFromResource(IDB_TEST_MISSING));
  EXPECT_EQ(2, k.GetWidth());
  EXPECT_NE(nullptr, k.GetBits());
  CAlphableDIB a;
  EXPECT_FALSE(a.LoadFromResource(IDB_TEST_PALETTE));
}

// The screen's DC for one test.
class ScreenDC {
 public:
  ScreenDC() { m_dc.Attach(::GetDC(nullptr)); }
  ~ScreenDC() { ::ReleaseDC(nullptr, m_dc.Detach()); }
  CDC* get() { return &m_dc; }

 private:
  CDC m_dc;
};

// The DDB's pixels as 32-bit {B, G, R, 0}, top row first.
std::vector<uint32_t> DdbPixels(HBITMAP ddb, int w, int h) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC screen = ::GetDC(nullptr);
  const int rows = ::GetDIBits(screen, ddb, 0, static_cast<UINT>(h), px.data(), &bi, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(h, rows);
  for (uint32_t& p : px) p &= 0xFFFFFF;
  return px;
}

TEST(ImageDdb, DeviceBitmapOfTheRightSizeAndPixels) {
  ScreenDC screen;
  const int depth = ::GetDeviceCaps(screen.get()->GetSafeHdc(), BITSPIXEL);
  // 24 bits, bottom-up and top-down, pixels all different.
  for (int height : {3, -3}) {
    SCOPED_TRACE(height);
    SkinBitmapInfoHeader h = {40, 4, height, 1, 24, 0, 0, 0, 0, 0, 0};
    CDIB d;
    d.CreateFromHeader(&h, nullptr);
    std::vector<uint32_t> want;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) {
        uint8_t* p = d.GetPixelAddress(x, y);
        p[0] = static_cast<uint8_t>(0x10 * x + 8);                // B
        p[1] = static_cast<uint8_t>(0x40 * y + 4);                // G
        p[2] = static_cast<uint8_t>(0xF0 - 0x20 * x - 0x08 * y);  // R
        want.push_back(static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)));
      }
    }
    HBITMAP ddb = d.CreateDDB(screen.get(), DIB_RGB_COLORS);
    ASSERT_NE(nullptr, ddb);
    DIBSECTION ds = {};
    EXPECT_EQ(static_cast<int>(sizeof(BITMAP)), ::GetObjectA(ddb, sizeof ds, &ds)) << "a DDB, not a section";
    EXPECT_EQ(4, ds.dsBm.bmWidth);
    EXPECT_EQ(3, ds.dsBm.bmHeight);
    EXPECT_EQ(depth, ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes) << "made for the screen's DC";
    if (depth >= 24) {
      EXPECT_EQ(want, DdbPixels(ddb, 4, 3));
    }
    ::DeleteObject(ddb);
  }
  // An 8-bit image through its colour table.
  CDIB pal;
  ASSERT_TRUE(pal.LoadFromResource(IDB_TEST_PALETTE));
  HBITMAP ddb = pal.CreateDDB(screen.get(), DIB_RGB_COLORS);
  ASSERT_NE(nullptr, ddb);
  if (depth >= 24) {
    std::vector<uint32_t> want;
    for (const auto& row : kPaletteRows)
      for (uint8_t i : row) {
        const uint8_t* c = kPaletteColours[i];
        want.push_back(static_cast<uint32_t>(c[0] | (c[1] << 8) | (c[2] << 16)));
      }
    EXPECT_EQ(want, DdbPixels(ddb, 5, 3));
  }
  ::DeleteObject(ddb);
  // No pixels, or pixels that are not GDI's: none.
  CDIB empty;
  EXPECT_EQ(nullptr, empty.CreateDDB(screen.get(), DIB_RGB_COLORS));
  CAlphableDIB alpha;
  alpha.Create(2, 2, 0, nullptr);
  EXPECT_EQ(nullptr, alpha.CreateDDB(screen.get(), DIB_RGB_COLORS));
}

// Each way of re-creating an image while its drawing surface is open: the
// surface was made for the old size, and must not be used for the new one.
TEST(ImageSurface, ReCreatingTheImageClosesItsSurface) {
  CDIB saved;
  saved.CreateBlank(2000, 2000, nullptr);
  CMemFile big;
  ASSERT_TRUE(saved.Write(&big));
  enum Way { kBlank, kFromHeader, kHeader, kRead, kAlphaCreate };
  const char* const names[] = {"CreateBlank", "CreateFromHeader", "CreateHeader", "Read", "CAlphableDIB::Create"};
  for (int way = kBlank; way <= kAlphaCreate; ++way) {
    SCOPED_TRACE(names[way]);
    const bool alpha = way == kAlphaCreate;
    std::unique_ptr<CDIB> image(alpha ? new CAlphableDIB : new CDIB);
    CDIB& d = *image;
    d.CreateBlank(4, 4, nullptr);
    ASSERT_NE(nullptr, d.GetDC(nullptr));
    switch (way) {
      case kBlank:
        d.CreateBlank(2000, 2000, nullptr);
        break;
      case kFromHeader: {
        SkinBitmapInfoHeader h = {40, 2000, -2000, 1, 16, 0, 0, 0, 0, 0, 0};
        d.CreateFromHeader(&h, nullptr);
        break;
      }
      case kHeader:
        d.CreateHeader(2000, 2000, 40);
        break;
      case kRead:
        big.SeekToBegin();
        ASSERT_TRUE(d.Read(&big));
        break;
      default:
        static_cast<CAlphableDIB&>(d).Create(2000, 2000, 0, nullptr);
    }
    EXPECT_FALSE(d.HasSurface());
    d.CommitDC();  // nothing open: nothing copied
    if (alpha || d.GetBitCount() != 16) continue;
    // A new surface is of the new size: GDI's fill of the far corner
    // reaches the pixels.
    CDC* dc = d.GetDC(nullptr);
    ASSERT_NE(nullptr, dc);
    RECT corner = {1990, 1990, 2000, 2000};
    HBRUSH red = ::CreateSolidBrush(RGB(255, 0, 0));
    ::FillRect(dc->GetSafeHdc(), &corner, red);
    ::DeleteObject(red);
    d.CommitDC();
    d.ReleaseDC();
    EXPECT_EQ(0x7C00u, d.GetPixel(1995, 1995));
    EXPECT_EQ(0u, d.GetPixel(1989, 1989));
  }
}

TEST(ImageSurface, RowsKeepTheirPlaceBothWays) {
  for (int height : {3, -3}) {
    SCOPED_TRACE(height < 0 ? "top-down" : "bottom-up");
    CDIB d;
    d.CreateBlank(4, height, nullptr);
    const uint16_t green = 0x03E0;
    std::memcpy(d.GetPixelAddress(1, 0), &green, 2);  // the top row
    CDC* dc = d.GetDC(nullptr);
    ASSERT_NE(nullptr, dc);
    EXPECT_NE(0u, ::GetPixel(dc->GetSafeHdc(), 1, 0) & 0xFF00) << "GDI sees the pixel where the image has it";
    EXPECT_EQ(0u, ::GetPixel(dc->GetSafeHdc(), 1, 2));
    RECT top = {0, 0, 4, 1};
    HBRUSH blue = ::CreateSolidBrush(RGB(0, 0, 255));
    ::FillRect(dc->GetSafeHdc(), &top, blue);
    ::DeleteObject(blue);
    d.CommitDC();
    d.ReleaseDC();
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(0x001Fu, d.GetPixel(x, 0)) << x;
      EXPECT_EQ(0u, d.GetPixel(x, 2)) << x;
    }
  }
}

// Save's messages reach the user in a message box, and with no path the
// save dialog asks for one.
TEST(ImageFileDialogs, MessagesAndTheSaveDialog) {
  test_support::InitTestApp();
  InstallImageFileDialogs();
  CDIB d;
  d.CreateBlank(3, 3, nullptr);
  test_support::SeenBox seen;
  {
    test_support::OkOnFirstBox ok(::GetCurrentThreadId(), &seen);
    EXPECT_FALSE(d.Save("Z:\\dib_win_test_no_such_folder\\x.bmp"));
  }
  EXPECT_TRUE(seen.seen);
  EXPECT_EQ(test_support::Widen(kImageFileOpenFailedText), seen.text);

  // The save dialog, answered with a path typed into it.
  char folder[MAX_PATH];
  ASSERT_NE(0u, ::GetCurrentDirectoryA(sizeof folder, folder));
  const std::string path = std::string(folder) + "\\dib_win_test_asked.bmp";
  ::DeleteFileA(path.c_str());
  test_support::DialogWatcher dialogs(
      [&](const test_support::SeenDialog& dlg) {
        // The file name box: cmb13 in the explorer-style dialog, edt1 in
        // the old one.
        ::SetDlgItemTextA(dlg.hwnd, 0x47C, path.c_str());
        ::SetDlgItemTextA(dlg.hwnd, 0x480, path.c_str());
        test_support::Press(dlg.hwnd, IDOK);
      },
      ::GetCurrentThreadId(), 0);
  EXPECT_TRUE(d.Save(nullptr));
  EXPECT_EQ(1u, dialogs.Seen().size());
  CDIB back;
  EXPECT_TRUE(back.Load(path.c_str()));
  EXPECT_EQ(3, back.GetWidth());
  ::DeleteFileA(path.c_str());
  SetImageFilePrompt(nullptr);
}

}  // namespace
